#include "setup/sourcetree/FileTreeCtrl.h"

#include "platform/system/Resources.h"
#include "platform/windows/WaitCursor.h"
#include "setup/resources/SetupResourceIds.h"
#include "setup/shell/ShellItems.h"
#include "setup/sourcetree/FileTreeHost.h"

namespace FileTree
{

static_assert(ATTR_GHOSTED == 1 && ATTR_SHARED == 2 && ATTR_LINK == 4, "the look of shell items reads these bits");

HCURSOR CheckCursor()
{
    LPCWSTR name = MAKEINTRESOURCEW(IDC_CHECK_CURSOR);
    HCURSOR cursor = ::LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name);
    return cursor != nullptr ? cursor : ::LoadCursorW(nullptr, IDC_HAND);
}

CPoint CursorInClient(const CWnd &window)
{
    CPoint point;
    ::GetCursorPos(&point);
    window.ScreenToClient(&point);
    return point;
}

BEGIN_MESSAGE_MAP(CFileTreeCtrl, CTreeCtrl)
ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDING, &CFileTreeCtrl::OnItemExpanding)
ON_NOTIFY_REFLECT_EX(TVN_SELCHANGING, &CFileTreeCtrl::OnSelChanging)
ON_NOTIFY_REFLECT_EX(NM_CUSTOMDRAW, &CFileTreeCtrl::OnCustomDraw)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CFileTreeCtrl::CFileTreeCtrl() : m_host(nullptr), m_root(nullptr), m_pressedItem(nullptr)
{
}

CFileTreeCtrl::~CFileTreeCtrl() = default;

void CFileTreeCtrl::SetRoot(BaseNode *root, HTREEITEM item)
{
    m_root = root;
    if (item != nullptr)
        SelectItem(item);
}

BaseNode *CFileTreeCtrl::GetNode(HTREEITEM item) const
{
    return item != nullptr ? reinterpret_cast<BaseNode *>(GetItemData(item)) : nullptr;
}

HTREEITEM CFileTreeCtrl::InsertNode(HTREEITEM parent, BaseNode *node)
{
    if (node == nullptr || node->GetKind() == KIND_FILE || node->GetKind() == KIND_NOT_IN_TREE)
        return nullptr;
    const CString name = node->GetDisplayName();
    const DWORD attributes = node->GetAttributes();
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPWSTR>(name.GetString());
    insert.item.iImage = node->GetIcon();
    insert.item.iSelectedImage = node->GetOpenIcon();
    insert.item.state = INDEXTOSTATEIMAGEMASK(node->GetState()) | ShellItemTreeState(attributes);
    insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_CUT | TVIS_OVERLAYMASK;
    const DWORD folderWithSubfolders = ATTR_FOLDER | ATTR_HAS_SUBFOLDERS;
    insert.item.cChildren = (attributes & folderWithSubfolders) == folderWithSubfolders ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    HTREEITEM item = InsertItem(&insert);
    if (item != nullptr)
        node->AddTreeItem(item);
    return item;
}

void CFileTreeCtrl::SetHasChildrenMark(HTREEITEM item, BOOL hasChildren)
{
    if (item == nullptr)
        return;
    TVITEMW change = {};
    change.mask = TVIF_HANDLE | TVIF_CHILDREN;
    change.hItem = item;
    change.cChildren = hasChildren ? 1 : 0;
    SetItem(&change);
}

void CFileTreeCtrl::UpdateCheckImages(BaseNode *node)
{
    if (node == nullptr || m_hWnd == nullptr)
        return;
    for (HTREEITEM item : node->GetTreeItems())
        SetItemState(item, INDEXTOSTATEIMAGEMASK(node->GetState()), TVIS_STATEIMAGEMASK);
}

int CFileTreeCtrl::InsertChildrenOnce(HTREEITEM item, BaseNode *node)
{
    if (item == nullptr || node == nullptr || GetChildItem(item) != nullptr)
        return 0;
    int inserted = 0;
    for (BaseNode *child : node->GetChildren())
    {
        if (InsertNode(item, child) != nullptr)
            ++inserted;
    }
    // Nothing to open (an empty folder, or one of files only): the button would lead nowhere.
    if (inserted == 0)
        SetHasChildrenMark(item, FALSE);
    return inserted;
}

BOOL CFileTreeCtrl::OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    *pResult = 0;
    if ((change->action & TVE_EXPAND) == 0)
        return TRUE;
    HTREEITEM item = change->itemNew.hItem;
    BaseNode *node = GetNode(item);
    if (node == nullptr)
        return TRUE;
    if (node->GetKind() == KIND_DEVICE_VOLUME)
    {
        // A protected volume opens with its code, not as a folder.
        if (m_host != nullptr)
            m_host->OpenDeviceRecord(node);
        *pResult = 1;
        return TRUE;
    }
    CWaitCursor wait;
    if (GetChildItem(item) == nullptr && InsertChildrenOnce(item, node) == 0)
        *pResult = 1;
    return TRUE;
}

BOOL CFileTreeCtrl::OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    if (m_host != nullptr)
        m_host->SetCurrentNode(GetNode(change->itemNew.hItem));
    *pResult = 0;
    return TRUE;
}

BOOL CFileTreeCtrl::OnCustomDraw(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *draw = reinterpret_cast<const NMTVCUSTOMDRAW *>(pNMHDR);
    switch (draw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT: {
        const auto *node = reinterpret_cast<const BaseNode *>(draw->nmcd.lItemlParam);
        *pResult = node != nullptr && node->GetKind() == KIND_BLANK ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
        break;
    }
    default:
        *pResult = CDRF_DODEFAULT;
        break;
    }
    return TRUE;
}

HTREEITEM CFileTreeCtrl::HitItem(CPoint point, bool &onCheckBox, bool &onLabel) const
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    onCheckBox = item != nullptr && (flags & TVHT_ONITEMSTATEICON) != 0;
    onLabel = item != nullptr && (flags & TVHT_ONITEMLABEL) != 0;
    return item;
}

bool CFileTreeCtrl::IsOnCheckBoxOfCheckable(CPoint point) const
{
    bool onCheckBox = false;
    bool onLabel = false;
    BaseNode *node = GetNode(HitItem(point, onCheckBox, onLabel));
    return onCheckBox && node != nullptr && node->GetState() != CHECK_NONE;
}

void CFileTreeCtrl::FillEmptyNode(BaseNode *node)
{
    if (m_host == nullptr || node == nullptr || !node->GetChildren().empty())
        return;
    HANDLE worker = m_host->StartFill(node);
    if (worker == nullptr)
        return;
    CWaitCursor wait;
    ::WaitForSingleObject(worker, INFINITE);
}

void CFileTreeCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    bool onCheckBox = false;
    bool onLabel = false;
    HTREEITEM item = HitItem(point, onCheckBox, onLabel);
    BaseNode *node = GetNode(item);
    if (node != nullptr && node->GetKind() == KIND_BLANK)
        return;
    if (onCheckBox)
    {
        // The button-up toggles; the control's own handling would only move the selection.
        m_pressedItem = item;
        return;
    }
    if (onLabel)
        FillEmptyNode(node);
    CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CFileTreeCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    HTREEITEM pressed = m_pressedItem;
    m_pressedItem = nullptr;
    bool onCheckBox = false;
    bool onLabel = false;
    HTREEITEM item = HitItem(point, onCheckBox, onLabel);
    if (pressed == nullptr || item != pressed || !onCheckBox)
    {
        CTreeCtrl::OnLButtonUp(nFlags, point);
        return;
    }
    BaseNode *node = GetNode(item);
    if (node == nullptr || node->GetState() == CHECK_NONE)
        return;
    // A category fills before its check, so that the check reaches its files.
    FillEmptyNode(node);
    node->Toggle();
    if (m_host != nullptr)
        m_host->FireItemCallback(node);
    ::SetCursor(CheckCursor());
    if (m_host != nullptr)
        m_host->SelectPath(node);
    Invalidate();
}

void CFileTreeCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    bool onCheckBox = false;
    bool onLabel = false;
    BaseNode *node = GetNode(HitItem(point, onCheckBox, onLabel));
    if (node != nullptr && node->GetKind() == KIND_DEVICE_VOLUME)
    {
        if (m_host != nullptr)
            m_host->OpenDeviceRecord(node);
        return;
    }
    if (onCheckBox)
    {
        ::SetCursor(CheckCursor());
        return;
    }
    CTreeCtrl::OnLButtonDblClk(nFlags, point);
}

void CFileTreeCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    bool onCheckBox = false;
    bool onLabel = false;
    BaseNode *node = GetNode(HitItem(point, onCheckBox, onLabel));
    if (node != nullptr && node->GetKind() == KIND_BLANK)
        return;
    CTreeCtrl::OnRButtonDown(nFlags, point);
}

void CFileTreeCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    if (IsOnCheckBoxOfCheckable(point))
        ::SetCursor(CheckCursor());
    CTreeCtrl::OnMouseMove(nFlags, point);
}

BOOL CFileTreeCtrl::OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT && IsOnCheckBoxOfCheckable(CursorInClient(*this)))
    {
        ::SetCursor(CheckCursor());
        return TRUE;
    }
    return CTreeCtrl::OnSetCursor(pWnd, nHitTest, message);
}

} // namespace FileTree
