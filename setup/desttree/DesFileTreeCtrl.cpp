#include "setup/desttree/DesFileTreeCtrl.h"

#include <vector>

#include "platform/system/Handles.h"
#include "platform/windows/WaitCursor.h"
#include "setup/shell/ShellItems.h"
#include "setup/desttree/DesTreeHost.h"

namespace DesFileTree
{

static_assert(ATTR_GHOSTED == 1 && ATTR_SHARED == 2 && ATTR_LINK == 4, "the look of shell items reads these bits");

namespace
{

const int kCustomIndent = 5;
const int kSeparatorTop = 7;

} // namespace

BEGIN_MESSAGE_MAP(CDesFileTreeCtrl, CTreeCtrl)
ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDING, &CDesFileTreeCtrl::OnItemExpanding)
ON_NOTIFY_REFLECT_EX(TVN_SELCHANGING, &CDesFileTreeCtrl::OnSelChanging)
ON_NOTIFY_REFLECT_EX(TVN_SELCHANGED, &CDesFileTreeCtrl::OnSelChanged)
ON_NOTIFY_REFLECT_EX(NM_CUSTOMDRAW, &CDesFileTreeCtrl::OnCustomDraw)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

DesBaseNode *CDesFileTreeCtrl::GetNode(HTREEITEM item) const
{
    return item != nullptr ? reinterpret_cast<DesBaseNode *>(GetItemData(item)) : nullptr;
}

HTREEITEM CDesFileTreeCtrl::InsertNode(HTREEITEM parent, DesBaseNode *node, HTREEITEM insertAfter)
{
    if (node == nullptr)
        return nullptr;
    const CString text = node->GetDisplayText().Left(MAX_PATH);
    const DWORD attributes = node->GetAttributes();
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = insertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<LPWSTR>(text.GetString());
    insert.item.iImage = node->GetImage();
    insert.item.iSelectedImage = node->GetSelectedImage();
    insert.item.state = ShellItemTreeState(attributes);
    insert.item.stateMask = TVIS_CUT | TVIS_OVERLAYMASK;
    insert.item.cChildren = (attributes & ATTR_HAS_SUBFOLDERS) != 0 ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    return InsertItem(&insert);
}

HTREEITEM CDesFileTreeCtrl::FindChildItem(HTREEITEM parent, const DesBaseNode *node) const
{
    HTREEITEM item = parent == TVI_ROOT ? GetRootItem() : GetChildItem(parent);
    for (; item != nullptr; item = GetNextSiblingItem(item))
    {
        if (GetNode(item) == node)
            return item;
    }
    return nullptr;
}

BOOL CDesFileTreeCtrl::SelectNode(DesBaseNode *node)
{
    if (node == nullptr)
        return FALSE;
    std::vector<DesBaseNode *> chain;
    for (DesBaseNode *up = node; up != nullptr; up = up->GetParent())
        chain.insert(chain.begin(), up);
    HTREEITEM parent = TVI_ROOT;
    HTREEITEM item = nullptr;
    for (size_t i = 0; i < chain.size(); ++i)
    {
        item = FindChildItem(parent, chain[i]);
        if (item == nullptr)
            return FALSE;
        if (i + 1 < chain.size())
            Expand(item, TVE_EXPAND);
        parent = item;
    }
    return SelectItem(item);
}

int CDesFileTreeCtrl::InsertChildrenOnce(HTREEITEM item)
{
    DesBaseNode *node = GetNode(item);
    if (node == nullptr || GetChildItem(item) != nullptr)
        return 0;
    int inserted = 0;
    for (const auto &child : node->GetChildren())
    {
        if (InsertNode(item, child.get()) != nullptr)
            ++inserted;
    }
    if (inserted == 0)
    {
        TVITEMW change = {};
        change.mask = TVIF_HANDLE | TVIF_CHILDREN;
        change.hItem = item;
        change.cChildren = 0;
        SetItem(&change);
    }
    return inserted;
}

BOOL CDesFileTreeCtrl::OnItemExpanding(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    *pResult = 0;
    if ((change->action & TVE_EXPAND) == 0)
        return TRUE;
    DesBaseNode *node = GetNode(change->itemNew.hItem);
    if (node == nullptr)
        return TRUE;
    if (node->GetTypeCode() == TYPE_ZORBIT)
    {
        // A protected volume opens with its code, not as a folder.
        if (m_host != nullptr)
            m_host->ChooseDeviceVolume(static_cast<const DesZorbitNode &>(*node));
        *pResult = 1;
        return TRUE;
    }
    CWaitCursor wait;
    if (GetChildItem(change->itemNew.hItem) == nullptr && InsertChildrenOnce(change->itemNew.hItem) == 0)
        *pResult = 1;
    return TRUE;
}

BOOL CDesFileTreeCtrl::OnSelChanging(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    const DesBaseNode *node = GetNode(change->itemNew.hItem);
    *pResult = node != nullptr && node->GetKind() == KIND_CUSTOM ? 1 : 0;
    return TRUE;
}

BOOL CDesFileTreeCtrl::OnSelChanged(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMTREEVIEWW *>(pNMHDR);
    *pResult = 0;
    DesBaseNode *node = GetNode(change->itemNew.hItem);
    if (m_host != nullptr && node != nullptr)
        m_host->OnNodeSelected(node);
    return TRUE;
}

bool CDesFileTreeCtrl::IsInert(const DesBaseNode *node) const
{
    return node != nullptr && (node->GetKind() == KIND_CUSTOM || (node->GetKind() == KIND_AGENT && !m_allowAgents));
}

DesBaseNode *CDesFileTreeCtrl::NodeAt(CPoint point) const
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    return item != nullptr && (flags & TVHT_ONITEM) != 0 ? GetNode(item) : nullptr;
}

void CDesFileTreeCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (IsInert(NodeAt(point)))
        return;
    CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CDesFileTreeCtrl::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (IsInert(NodeAt(point)))
        return;
    CTreeCtrl::OnRButtonDown(nFlags, point);
}

void CDesFileTreeCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    DesBaseNode *node = NodeAt(point);
    if (IsInert(node))
        return;
    // By what the node is, not by its kind: a drive that a device names as its second volume is of the devices'
    // kind too, but it holds no device record.
    if (node != nullptr && node->GetTypeCode() == TYPE_ZORBIT)
    {
        if (m_host != nullptr)
            m_host->ChooseDeviceVolume(static_cast<const DesZorbitNode &>(*node));
        return;
    }
    CTreeCtrl::OnLButtonDblClk(nFlags, point);
}

void CDesFileTreeCtrl::DrawCustomRow(HDC dc, const RECT &row, const DesCustomNode &node) const
{
    const COLORREF background = static_cast<COLORREF>(SendMessage(TVM_GETBKCOLOR));
    CGdiObjectOwner<HBRUSH> fill(::CreateSolidBrush(background == CLR_NONE ? ::GetSysColor(COLOR_WINDOW) : background));
    if (fill.IsValid())
        ::FillRect(dc, &row, fill.Get());
    RECT place = row;
    place.left += kCustomIndent;
    switch (node.GetStyle())
    {
    case DesCustomNode::STYLE_CAPTION: {
        const CString text = node.GetDisplayText();
        const int mode = ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, text, text.GetLength(), &place, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        ::SetBkMode(dc, mode);
        break;
    }
    case DesCustomNode::STYLE_SEPARATOR: {
        TRIVERTEX ends[2] = {};
        ends[0].x = place.left;
        ends[0].y = place.top + kSeparatorTop;
        ends[0].Red = static_cast<COLOR16>(GetRValue(kSeparatorLeft) << 8);
        ends[0].Green = static_cast<COLOR16>(GetGValue(kSeparatorLeft) << 8);
        ends[0].Blue = static_cast<COLOR16>(GetBValue(kSeparatorLeft) << 8);
        ends[1].x = place.right;
        ends[1].y = place.top + kSeparatorTop + 1;
        ends[1].Red = ends[1].Green = ends[1].Blue = 0xFF00;
        GRADIENT_RECT span = {0, 1};
        if (ends[1].x > ends[0].x)
            ::GradientFill(dc, ends, 2, &span, 1, GRADIENT_FILL_RECT_H);
        break;
    }
    default:
        break;
    }
}

BOOL CDesFileTreeCtrl::OnCustomDraw(NMHDR *pNMHDR, LRESULT *pResult)
{
    auto *draw = reinterpret_cast<NMTVCUSTOMDRAW *>(pNMHDR);
    *pResult = CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT: {
        const auto *node = reinterpret_cast<const DesBaseNode *>(draw->nmcd.lItemlParam);
        if (node == nullptr)
            break;
        if (node->GetKind() == KIND_AGENT && !m_allowAgents)
            draw->clrText = kAgentText;
        else if (node->GetKind() == KIND_CUSTOM)
        {
            DrawCustomRow(draw->nmcd.hdc, draw->nmcd.rc, static_cast<const DesCustomNode &>(*node));
            *pResult = CDRF_SKIPDEFAULT;
        }
        break;
    }
    default:
        break;
    }
    return TRUE;
}

} // namespace DesFileTree
