#include "setup/sourcetree/FilesListCtrl.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/sourcetree/FileTreeCtrl.h"
#include "setup/sourcetree/FileTreeHost.h"

namespace FileTree
{

namespace
{

struct ListColumn
{
    UINT title;
    int width;
};
const ListColumn kColumns[] = {
    {IDS_FILE_LIST_NAME, 200}, {IDS_FILE_LIST_SIZE, 100}, {IDS_FILE_LIST_TYPE, 120}, {IDS_FILE_LIST_TIME, 120}};

} // namespace

BEGIN_MESSAGE_MAP(CFilesListCtrl, CListCtrl)
ON_NOTIFY_REFLECT_EX(LVN_GETDISPINFO, &CFilesListCtrl::OnGetDispInfo)
ON_NOTIFY_REFLECT_EX(NM_DBLCLK, &CFilesListCtrl::OnDoubleClick)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CFilesListCtrl::CFilesListCtrl() : m_host(nullptr), m_checkBoxesActive(TRUE), m_pressedIndex(-1)
{
}

CFilesListCtrl::~CFilesListCtrl() = default;

void CFilesListCtrl::InsertColumns()
{
    for (int i = 0; i < static_cast<int>(_countof(kColumns)); ++i)
        InsertColumn(i, AfxLoadText(kColumns[i].title), LVCFMT_CENTER, kColumns[i].width);
}

void CFilesListCtrl::UpdateItemCount()
{
    BaseNode *current = m_host != nullptr ? m_host->GetCurrentNode() : nullptr;
    const int count = current != nullptr ? static_cast<int>(current->GetChildren().size()) : 0;
    if (m_hWnd == nullptr)
        return;
    SetItemCountEx(count, 0);
    Invalidate();
}

BaseNode *CFilesListCtrl::GetItemNode(int index) const
{
    BaseNode *current = m_host != nullptr ? m_host->GetCurrentNode() : nullptr;
    if (current == nullptr || index < 0)
        return nullptr;
    const auto &children = current->GetChildren();
    return index < static_cast<int>(children.size()) ? children[static_cast<size_t>(index)] : nullptr;
}

BOOL CFilesListCtrl::OnGetDispInfo(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    auto *info = reinterpret_cast<NMLVDISPINFOW *>(pNMHDR);
    LVITEMW &item = info->item;
    BaseNode *node = GetItemNode(item.iItem);
    if (node == nullptr)
        return TRUE;
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0)
    {
        CString text;
        switch (item.iSubItem)
        {
        case 0:
            text = node->GetDisplayName();
            break;
        case 1:
            text = node->GetSizeText();
            break;
        case 2:
            text = node->GetTypeText();
            break;
        case 3:
            text = node->GetTimeText();
            break;
        default:
            break;
        }
        // The list's buffer holds cchTextMax characters, its end included, and never more than a path.
        lstrcpynW(item.pszText, text, item.cchTextMax < MAX_PATH ? item.cchTextMax : MAX_PATH);
    }
    if ((item.mask & LVIF_STATE) != 0)
    {
        const DWORD attributes = node->GetAttributes();
        item.state = INDEXTOSTATEIMAGEMASK(node->GetState() + 1);
        if ((attributes & ATTR_GHOSTED) != 0)
            item.state |= LVIS_CUT;
        if ((attributes & ATTR_SHARED) != 0)
            item.state |= INDEXTOOVERLAYMASK(1);
        else if ((attributes & ATTR_LINK) != 0)
            item.state |= INDEXTOOVERLAYMASK(2);
        item.stateMask |= LVIS_STATEIMAGEMASK | LVIS_CUT | LVIS_OVERLAYMASK;
    }
    if ((item.mask & LVIF_IMAGE) != 0)
        item.iImage = node->GetIcon();
    return TRUE;
}

BOOL CFilesListCtrl::OnDoubleClick(NMHDR *pNMHDR, LRESULT *pResult)
{
    *pResult = 0;
    const auto *activate = reinterpret_cast<const NMITEMACTIVATE *>(pNMHDR);
    bool onCheckBox = false;
    const int index = HitItem(activate->ptAction, onCheckBox);
    if (onCheckBox)
    {
        ::SetCursor(CheckCursor());
        return TRUE;
    }
    BaseNode *node = GetItemNode(index);
    if (node != nullptr && node->GetKind() != KIND_CATEGORY_ENTRY && m_host != nullptr)
        m_host->SelectPath(node);
    return TRUE;
}

int CFilesListCtrl::HitItem(CPoint point, bool &onCheckBox) const
{
    LVHITTESTINFO hit = {};
    hit.pt = point;
    const int index = HitTest(&hit);
    onCheckBox = index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0;
    return index;
}

void CFilesListCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    bool onCheckBox = false;
    const int index = HitItem(point, onCheckBox);
    if (onCheckBox)
    {
        m_pressedIndex = m_checkBoxesActive ? index : -1;
        return;
    }
    CListCtrl::OnLButtonDown(nFlags, point);
}

void CFilesListCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    const int pressed = m_pressedIndex;
    m_pressedIndex = -1;
    bool onCheckBox = false;
    const int index = HitItem(point, onCheckBox);
    if (pressed < 0 || index != pressed || !onCheckBox)
    {
        CListCtrl::OnLButtonUp(nFlags, point);
        return;
    }
    BaseNode *node = GetItemNode(index);
    if (node == nullptr || node->GetState() == CHECK_NONE)
        return;
    node->Toggle();
    if (m_host != nullptr)
        m_host->FireItemCallback(node);
    ::SetCursor(CheckCursor());
    Invalidate();
}

void CFilesListCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    bool onCheckBox = false;
    HitItem(point, onCheckBox);
    if (onCheckBox)
        ::SetCursor(CheckCursor());
    CListCtrl::OnMouseMove(nFlags, point);
}

BOOL CFilesListCtrl::OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message)
{
    bool onCheckBox = false;
    HitItem(CursorInClient(*this), onCheckBox);
    if (nHitTest == HTCLIENT && onCheckBox)
    {
        ::SetCursor(CheckCursor());
        return TRUE;
    }
    return CListCtrl::OnSetCursor(pWnd, nHitTest, message);
}

} // namespace FileTree
