#include "setup/filters/FilterModel.h"

#include <algorithm>

FilterConfiguration::FilterConfiguration(const CString &val, int type, const CString &description, bool selected)
    : m_owner(nullptr), m_selected(selected), m_type(type), m_val(val), m_description(description)
{
}

FilterConfiguration::~FilterConfiguration() = default;

bool FilterConfiguration::Equals(const FilterConfiguration &other) const
{
    return this == &other || m_val == other.m_val;
}

FilterCategory::FilterCategory(const CString &name, bool selected)
    : m_name(name), m_selected(selected), m_parent(nullptr)
{
}

FilterCategory::~FilterCategory()
{
    ClearChildren();
    ClearConfigurations();
}

bool FilterCategory::Equals(const FilterCategory &other) const
{
    if (this == &other)
        return true;
    if ((m_parent == nullptr) != (other.m_parent == nullptr))
        return false;
    if (m_parent != nullptr && !m_parent->Equals(*other.m_parent))
        return false;
    return m_name == other.m_name;
}

bool FilterCategory::IsAncestorOf(const FilterCategory *category) const
{
    for (; category != nullptr; category = category->m_parent)
    {
        if (category == this)
            return true;
    }
    return false;
}

FilterCategory *FilterCategory::GetChild(size_t index) const
{
    return index < m_children.size() ? m_children[index].get() : nullptr;
}

void FilterCategory::AddChild(FilterCategory *child)
{
    if (child == nullptr || child->m_parent == this || child->IsAncestorOf(this))
        return;
    // The child leaves the very object that lists it, whatever that object's name path: another set loaded
    // from another file may hold a category of the same path, and both would free the child otherwise. It
    // leaves first, so that replacing an equal child below cannot take the new child down with it.
    if (child->m_parent != nullptr)
        child->m_parent->DetachChild(child);
    std::unique_ptr<FilterCategory> owned(child);
    // Compared as if already re-parented: equal name paths below this category are equal names.
    auto equal =
        std::find_if(m_children.begin(), m_children.end(), [child](const std::unique_ptr<FilterCategory> &existing) {
            return existing->m_name == child->m_name;
        });
    if (equal != m_children.end())
        m_children.erase(equal);
    child->m_parent = this;
    m_children.push_back(std::move(owned));
}

void FilterCategory::AddConfiguration(FilterConfiguration *configuration)
{
    if (configuration == nullptr || configuration->m_owner == this)
        return;
    if (configuration->m_owner != nullptr)
        configuration->m_owner->DetachConfiguration(configuration);
    std::unique_ptr<FilterConfiguration> owned(configuration);
    auto equal = std::find_if(m_configurations.begin(), m_configurations.end(),
                              [configuration](const std::unique_ptr<FilterConfiguration> &existing) {
                                  return existing->Equals(*configuration);
                              });
    if (equal != m_configurations.end())
        m_configurations.erase(equal);
    configuration->m_owner = this;
    m_configurations.push_back(std::move(owned));
}

void FilterCategory::RemoveChild(LPCWSTR name)
{
    auto found = std::find_if(m_children.begin(), m_children.end(), [name](const std::unique_ptr<FilterCategory> &c) {
        return c->m_name == (name != nullptr ? name : L"");
    });
    if (found != m_children.end())
        m_children.erase(found);
}

void FilterCategory::RemoveConfiguration(LPCWSTR val)
{
    auto found = std::find_if(
        m_configurations.begin(), m_configurations.end(),
        [val](const std::unique_ptr<FilterConfiguration> &c) { return c->m_val == (val != nullptr ? val : L""); });
    if (found != m_configurations.end())
        m_configurations.erase(found);
}

bool FilterCategory::DetachChild(FilterCategory *child)
{
    auto found = std::find_if(m_children.begin(), m_children.end(),
                              [child](const std::unique_ptr<FilterCategory> &c) { return c.get() == child; });
    if (found == m_children.end())
        return false;
    found->release();
    m_children.erase(found);
    child->m_parent = nullptr;
    return true;
}

bool FilterCategory::DetachConfiguration(FilterConfiguration *configuration)
{
    auto found = std::find_if(
        m_configurations.begin(), m_configurations.end(),
        [configuration](const std::unique_ptr<FilterConfiguration> &c) { return c.get() == configuration; });
    if (found == m_configurations.end())
        return false;
    found->release();
    m_configurations.erase(found);
    configuration->m_owner = nullptr;
    return true;
}

void FilterCategory::ClearChildren()
{
    // Taken out of the list before they go, so that nothing walks a list holding a half-destroyed child.
    Children doomed;
    doomed.swap(m_children);
    doomed.clear();
}

void FilterCategory::ClearConfigurations()
{
    Configurations doomed;
    doomed.swap(m_configurations);
    doomed.clear();
}
