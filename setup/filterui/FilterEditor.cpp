#include "setup/filterui/FilterEditor.h"

#include "setup/filterui/FilterTypeListCtrl.h"

CFilterEditor::CFilterEditor() : m_sets(nullptr), m_selected(nullptr), m_tree(nullptr), m_list(nullptr), m_buttons{}
{
}

void CFilterEditor::Bind(FilterNode *sets, CCategoryTreeCtrl *tree, CFilterTypeListCtrl *list,
                         CWnd *const buttons[BUTTON_COUNT])
{
    m_sets = sets;
    m_tree = tree;
    m_list = list;
    for (int i = 0; i < BUTTON_COUNT; ++i)
        m_buttons[i] = buttons[i];
}

void CFilterEditor::EnableButton(Button button, bool enable)
{
    CWnd *window = m_buttons[button];
    if (window != nullptr && window->GetSafeHwnd() != nullptr)
        window->EnableWindow(enable ? TRUE : FALSE);
}

void CFilterEditor::SelectNode(FilterNode *node)
{
    m_selected = node;
    if (m_list != nullptr && m_list->GetSafeHwnd() != nullptr)
        m_list->Fill(node != nullptr && node->GetKind() == FilterNode::KIND_FILTER ? node : nullptr);
    const bool category = node != nullptr && node->GetKind() != FilterNode::KIND_SET;
    EnableButton(BUTTON_NEW_CATEGORY, true);
    EnableButton(BUTTON_DELETE_CATEGORY, category && (m_sets == nullptr || m_sets->GetChildCount() != 1));
    EnableButton(BUTTON_ADD_TYPE, category);
    EnableButton(BUTTON_DELETE_TYPE, false);
}

void CFilterEditor::OnRowSelected(bool selected)
{
    if (m_selected != nullptr && m_selected->GetKind() == FilterNode::KIND_FILTER)
        EnableButton(BUTTON_DELETE_TYPE, selected);
}
