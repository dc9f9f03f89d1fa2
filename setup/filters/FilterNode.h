// The display tree that the filter pages and dialogs build over a filter set: FilterNode for the root and the
// categories, FilterLeafNode for the configurations. The nodes borrow the model's objects (the model must
// outlive the tree) and write their edits through to them; removing through the tree is the only way the tree
// destroys model objects.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/text/String.h"
#include "setup/filters/FilterModel.h"

class FilterNode
{
  public:
    enum : int
    {
        KIND_ROOT = 0,   // the tree's root
        KIND_SET = 1,    // a top-level category: a filter set
        KIND_FILTER = 2, // a sub-category, whose children are leaves
        KIND_LEAF = 3,   // a configuration (FilterLeafNode)
    };

    // Text and selected flag come from the category when one is given. The node is not added to the parent:
    // the parent's AddChild does that.
    FilterNode(int kind, FilterCategory *category, FilterNode *parent);
    // Destroys the children first; the model's objects stay.
    virtual ~FilterNode();
    FilterNode(const FilterNode &) = delete;
    FilterNode &operator=(const FilterNode &) = delete;

    // Kinds 0 and 1 pass the value to every child; kind 2 then sets its parent's flag to whether any of the
    // parent's children is selected (one level only). A bound category follows the flag.
    virtual void SetSelected(int value);

    // Appends the node. With alsoInModel and a bound category, the model gets the child's object too: a kind-2
    // node adds the leaf's configuration, other kinds the child's category.
    void AddChild(FilterNode *node, bool alsoInModel);
    // 0 when node is not a child; otherwise the matching model object is destroyed first (by the child's text:
    // a configuration's val for kind 2, a category's name for the others), then the child node: 1.
    int RemoveChild(FilterNode *node);
    int RemoveChildAt(int index);
    // Destroys every child node (the model stays).
    void DeleteChildren();
    // selected := not selected, through SetSelected.
    void Toggle();

    int GetKind() const
    {
        return m_kind;
    }
    FilterNode *GetParent() const
    {
        return m_parent;
    }
    FilterCategory *GetCategory() const
    {
        return m_category;
    }
    const CString &GetText() const
    {
        return m_text;
    }
    int IsSelected() const
    {
        return m_selected;
    }
    const std::vector<FilterNode *> &GetChildren() const
    {
        return m_children;
    }
    int GetChildCount() const
    {
        return static_cast<int>(m_children.size());
    }
    // The child at index, null beyond the list.
    FilterNode *GetChild(int index) const;
    // The first child whose text equals text (exact); null when none does.
    FilterNode *FindChild(LPCWSTR text) const;

    // The category tree's item of this node (recorded by the tree that shows it).
    HTREEITEM m_treeItem = nullptr;

  protected:
    FilterNode *m_parent;
    int m_kind;
    CString m_text;
    std::vector<FilterNode *> m_children;
    int m_selected;
    FilterCategory *m_category;
};

class FilterLeafNode : public FilterNode
{
  public:
    FilterLeafNode(FilterConfiguration *configuration, FilterNode *parent);
    ~FilterLeafNode() override;

    // Only this leaf and its configuration: nothing propagates.
    void SetSelected(int value) override;
    // Set the node's text or description and the configuration's val or description.
    void SetValue(const CString &text);
    void SetDescription(const CString &text);

    FilterConfiguration *GetConfiguration() const
    {
        return m_configuration;
    }
    const CString &GetDescription() const
    {
        return m_description;
    }
    bool IsFolder() const
    {
        return m_isFolder;
    }

  private:
    FilterConfiguration *m_configuration;
    CString m_description;
    bool m_isFolder;
};
