#include "setup/filters/FilterNode.h"

#include <algorithm>

FilterNode::FilterNode(int kind, FilterCategory *category, FilterNode *parent)
    : m_parent(parent), m_kind(kind), m_selected(0), m_category(category)
{
    if (category != nullptr)
    {
        m_text = category->GetName();
        m_selected = category->IsSelected() ? 1 : 0;
    }
}

FilterNode::~FilterNode()
{
    DeleteChildren();
}

FilterNode *FilterNode::GetChild(int index) const
{
    return index >= 0 && index < GetChildCount() ? m_children[static_cast<size_t>(index)] : nullptr;
}

FilterNode *FilterNode::FindChild(LPCWSTR text) const
{
    for (FilterNode *child : m_children)
    {
        if (child->m_text == (text != nullptr ? text : L""))
            return child;
    }
    return nullptr;
}

void FilterNode::SetSelected(int value)
{
    m_selected = value;
    if (m_category != nullptr)
        m_category->SetSelected(value != 0);
    if (m_kind == KIND_ROOT || m_kind == KIND_SET)
    {
        for (FilterNode *child : m_children)
            child->SetSelected(value);
    }
    else if (m_kind == KIND_FILTER && m_parent != nullptr)
    {
        const bool any = std::any_of(m_parent->m_children.begin(), m_parent->m_children.end(),
                                     [](const FilterNode *sibling) { return sibling->m_selected != 0; });
        if (any != (m_parent->m_selected != 0))
        {
            m_parent->m_selected = any ? 1 : 0;
            if (m_parent->m_category != nullptr)
                m_parent->m_category->SetSelected(any);
        }
    }
}

void FilterNode::AddChild(FilterNode *node, bool alsoInModel)
{
    if (node == nullptr)
        return;
    node->m_parent = this;
    m_children.push_back(node);
    if (!alsoInModel || m_category == nullptr)
        return;
    if (m_kind == KIND_FILTER)
    {
        auto *leaf = dynamic_cast<FilterLeafNode *>(node);
        if (leaf != nullptr && leaf->GetConfiguration() != nullptr)
            m_category->AddConfiguration(leaf->GetConfiguration());
    }
    else if (node->m_category != nullptr)
    {
        m_category->AddChild(node->m_category);
    }
}

int FilterNode::RemoveChild(FilterNode *node)
{
    auto found = std::find(m_children.begin(), m_children.end(), node);
    if (found == m_children.end())
        return 0;
    return RemoveChildAt(static_cast<int>(found - m_children.begin()));
}

int FilterNode::RemoveChildAt(int index)
{
    FilterNode *child = GetChild(index);
    if (child == nullptr)
        return 0;
    if (m_category != nullptr)
    {
        // The child's own object goes when the model lists it here: an edited val or name may equal a
        // sibling's, and removing by text would then destroy the sibling's object under its node.
        auto *leaf = dynamic_cast<FilterLeafNode *>(child);
        FilterConfiguration *configuration = leaf != nullptr ? leaf->GetConfiguration() : nullptr;
        if (m_kind == KIND_FILTER && configuration != nullptr && m_category->DetachConfiguration(configuration))
            delete configuration;
        else if (m_kind == KIND_FILTER)
            m_category->RemoveConfiguration(child->m_text);
        else if (child->m_category != nullptr && m_category->DetachChild(child->m_category))
            delete child->m_category;
        else
            m_category->RemoveChild(child->m_text);
    }
    m_children.erase(m_children.begin() + index);
    delete child;
    return 1;
}

void FilterNode::DeleteChildren()
{
    std::vector<FilterNode *> doomed;
    doomed.swap(m_children);
    for (FilterNode *child : doomed)
        delete child;
}

void FilterNode::Toggle()
{
    SetSelected(m_selected != 0 ? 0 : 1);
}

FilterLeafNode::FilterLeafNode(FilterConfiguration *configuration, FilterNode *parent)
    : FilterNode(KIND_LEAF, nullptr, parent), m_configuration(configuration), m_isFolder(false)
{
    if (configuration != nullptr)
    {
        m_text = configuration->GetVal();
        m_description = configuration->GetDescription();
        m_selected = configuration->IsSelected() ? 1 : 0;
        m_isFolder = configuration->IsFolder();
    }
}

FilterLeafNode::~FilterLeafNode() = default;

void FilterLeafNode::SetSelected(int value)
{
    m_selected = value;
    if (m_configuration != nullptr)
        m_configuration->SetSelected(value != 0);
}

void FilterLeafNode::SetValue(const CString &text)
{
    m_text = text;
    if (m_configuration != nullptr)
        m_configuration->SetVal(text);
}

void FilterLeafNode::SetDescription(const CString &text)
{
    m_description = text;
    if (m_configuration != nullptr)
        m_configuration->SetDescription(text);
}
