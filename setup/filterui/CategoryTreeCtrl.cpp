#include "setup/filterui/CategoryTreeCtrl.h"

#include "setup/filterui/FilterEditor.h"

BEGIN_MESSAGE_MAP(CCategoryTreeCtrl, CTreeCtrl)
ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDING, &CCategoryTreeCtrl::OnItemExpanding)
ON_NOTIFY_REFLECT_EX(TVN_SELCHANGING, &CCategoryTreeCtrl::OnSelChanging)
END_MESSAGE_MAP()

CCategoryTreeCtrl::CCategoryTreeCtrl() : m_editor(nullptr)
{
}

CCategoryTreeCtrl::~CCategoryTreeCtrl() = default;

HTREEITEM CCategoryTreeCtrl::InsertNode(FilterNode *node, HTREEITEM parent)
{
    if (node == nullptr)
        return nullptr;
    const bool leafLike = node->GetKind() == FilterNode::KIND_FILTER || node->GetKind() == FilterNode::KIND_LEAF;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPWSTR>(node->GetText().GetString());
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    insert.item.cChildren = leafLike ? 0 : 1;
    HTREEITEM item = InsertItem(&insert);
    node->m_treeItem = item;
    if (item != nullptr && !leafLike)
    {
        for (FilterNode *child : node->GetChildren())
            InsertNode(child, item);
    }
    return item;
}

FilterNode *CCategoryTreeCtrl::GetNode(HTREEITEM item) const
{
    return item != nullptr ? reinterpret_cast<FilterNode *>(GetItemData(item)) : nullptr;
}

BOOL CCategoryTreeCtrl::OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    // Collapse and toggle both have the lowest bit: only expanding goes ahead.
    *pResult = (change->action & 1) != 0 ? 1 : 0;
    return TRUE;
}

BOOL CCategoryTreeCtrl::OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    if (m_editor != nullptr)
        m_editor->SelectNode(GetNode(change->itemNew.hItem));
    *pResult = 0;
    return TRUE;
}
