// The filter model: a filter set is a tree of named categories (FilterCategory) whose leaves are filter
// configurations (FilterConfiguration), each a list of file extensions ("pst, ost") or a folder path.
// FiltersMedia reads and writes the sets as files; the display nodes of FilterNode.h bind to these objects.
//
// A category owns its child categories and its configurations. An object belongs to at most one category at a
// time: adding it to another category takes it out of the one that listed it.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/text/String.h"

class FilterCategory;

class FilterConfiguration
{
  public:
    // What val holds.
    enum : int
    {
        TYPE_EXTENSIONS = 0, // a list of extensions separated by ",", ";" or blanks
        TYPE_FOLDER = 1,     // a folder path
    };

    FilterConfiguration(const CString &val, int type, const CString &description, bool selected);
    virtual ~FilterConfiguration();
    FilterConfiguration(const FilterConfiguration &) = delete;
    FilterConfiguration &operator=(const FilterConfiguration &) = delete;

    // The same object, or the same val (exact, case-sensitive): val is the configuration's identity.
    bool Equals(const FilterConfiguration &other) const;

    // The category that lists it; null while unlisted.
    FilterCategory *GetOwner() const
    {
        return m_owner;
    }
    bool IsSelected() const
    {
        return m_selected;
    }
    void SetSelected(bool selected)
    {
        m_selected = selected;
    }
    int GetType() const
    {
        return m_type;
    }
    bool IsFolder() const
    {
        return m_type != TYPE_EXTENSIONS;
    }
    const CString &GetVal() const
    {
        return m_val;
    }
    void SetVal(const CString &val)
    {
        m_val = val;
    }
    const CString &GetDescription() const
    {
        return m_description;
    }
    void SetDescription(const CString &description)
    {
        m_description = description;
    }

  private:
    friend class FilterCategory;

    FilterCategory *m_owner;
    bool m_selected;
    int m_type;
    CString m_val;
    CString m_description;
};

class FilterCategory
{
  public:
    using Children = std::vector<std::unique_ptr<FilterCategory>>;
    using Configurations = std::vector<std::unique_ptr<FilterConfiguration>>;

    FilterCategory(const CString &name, bool selected);
    // Destroys the children (depth first) and the configurations.
    ~FilterCategory();
    FilterCategory(const FilterCategory &) = delete;
    FilterCategory &operator=(const FilterCategory &) = delete;

    // Equal name paths from the root: the same object, or equal parents (both without one counts as equal) and
    // equal names (exact, case-sensitive).
    bool Equals(const FilterCategory &other) const;

    // Takes the child (it may be listed by another category, which lets go of it). A child of this category
    // with the same name is destroyed first: the new one takes its place at the end. A child that this very
    // category already lists stays where it is; a category is never added below itself.
    void AddChild(FilterCategory *child);
    // The same for a configuration: one with the same val is destroyed and the new one appended.
    void AddConfiguration(FilterConfiguration *configuration);
    // Destroys the first child of that name (exact); nothing when there is none.
    void RemoveChild(LPCWSTR name);
    // Destroys the first configuration with that val; nothing when there is none.
    void RemoveConfiguration(LPCWSTR val);
    // Let go of that very object without destroying it (it has no parent or owner afterwards); false when it is
    // not listed here.
    bool DetachChild(FilterCategory *child);
    bool DetachConfiguration(FilterConfiguration *configuration);
    void ClearChildren();
    void ClearConfigurations();

    const CString &GetName() const
    {
        return m_name;
    }
    bool IsSelected() const
    {
        return m_selected;
    }
    void SetSelected(bool selected)
    {
        m_selected = selected;
    }
    FilterCategory *GetParent() const
    {
        return m_parent;
    }
    const Children &GetChildren() const
    {
        return m_children;
    }
    const Configurations &GetConfigurations() const
    {
        return m_configurations;
    }
    // The child at index, null beyond the list.
    FilterCategory *GetChild(size_t index) const;
    // True when category is this one or lies below it.
    bool IsAncestorOf(const FilterCategory *category) const;

  private:
    CString m_name;
    bool m_selected;
    FilterCategory *m_parent;
    Children m_children;
    Configurations m_configurations;
};
