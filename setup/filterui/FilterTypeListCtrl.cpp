// CFilterTypeListCtrl: its rows, the mouse and the in-place editing (the drawing is in FilterTypeListCtrlDraw.cpp).
#include "setup/filterui/FilterTypeListCtrl.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/filterui/FilterEditor.h"
#include "setup/filterui/FilterUiSeams.h"
#include "setup/resources/SetupResourceIds.h"

BEGIN_MESSAGE_MAP(CFilterTypeListCtrl, CListCtrl)
ON_WM_MEASUREITEM_REFLECT()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_LBUTTONDOWN()
ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, &CFilterTypeListCtrl::OnItemChanged)
ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, &CFilterTypeListCtrl::OnBeginLabelEdit)
ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, &CFilterTypeListCtrl::OnEndLabelEdit)
END_MESSAGE_MAP()

CFilterTypeListCtrl::CFilterTypeListCtrl()
    : m_editor(nullptr), m_theme(nullptr), m_hTheme(nullptr), m_previousImage(nullptr), m_editColumn(-1)
{
}

CFilterTypeListCtrl::~CFilterTypeListCtrl()
{
    if (m_hTheme != nullptr && m_theme != nullptr)
        m_theme->CloseThemeData(m_hTheme);
    if (m_previousImage != nullptr)
        m_imageDC.SelectObject(m_previousImage);
}

void CFilterTypeListCtrl::Bind(CFilterEditor *editor, NewUI::CThemeHelperST *theme)
{
    m_editor = editor;
    InsertColumn(0, AfxLoadText(IDS_FILTER_COLUMN_TYPES), LVCFMT_LEFT, 270);
    InsertColumn(1, AfxLoadText(IDS_FILTER_COLUMN_DESCRIPTION), LVCFMT_LEFT, 268);
    m_theme = theme;
    if (m_theme != nullptr && m_hTheme == nullptr)
        m_hTheme = m_theme->OpenThemeData(m_hWnd, L"BUTTON");
    if (m_imageDC.GetSafeHdc() == nullptr)
    {
        CClientDC window(this);
        if (m_imageDC.CreateCompatibleDC(&window) && m_folderImage.LoadBitmap(IDB_FILTER_FOLDER))
            m_previousImage = m_imageDC.SelectObject(m_folderImage.GetSafeHandle());
    }
    // An owner-drawn list asks for its row height when it is created (before this object had it) and again on a
    // position change: announcing one of its own size asks at once.
    CRect window;
    GetWindowRect(&window);
    WINDOWPOS position = {};
    position.hwnd = m_hWnd;
    position.cx = window.Width();
    position.cy = window.Height();
    position.flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
}

void CFilterTypeListCtrl::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    lpMeasureItemStruct->itemHeight = kRowHeight;
}

void CFilterTypeListCtrl::Fill(FilterNode *node)
{
    DeleteAllItems();
    if (node == nullptr)
        return;
    for (FilterNode *child : node->GetChildren())
    {
        if (auto *leaf = dynamic_cast<FilterLeafNode *>(child))
            AddLeafRow(leaf);
    }
}

int CFilterTypeListCtrl::AddLeafRow(FilterLeafNode *leaf)
{
    const int item = InsertItem(GetItemCount(), leaf->GetText());
    if (item < 0)
        return item;
    SetItemData(item, reinterpret_cast<DWORD_PTR>(leaf));
    SetItemText(item, 1, leaf->GetDescription());
    return item;
}

FilterLeafNode *CFilterTypeListCtrl::GetLeaf(int item) const
{
    if (item < 0 || item >= GetItemCount())
        return nullptr;
    return reinterpret_cast<FilterLeafNode *>(GetItemData(item));
}

void CFilterTypeListCtrl::RepaintSelection()
{
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (focused >= 0)
        RedrawItems(focused, focused);
    if ((GetStyle() & LVS_SHOWSELALWAYS) == 0)
    {
        for (int item = GetNextItem(-1, LVNI_SELECTED); item >= 0; item = GetNextItem(item, LVNI_SELECTED))
            RedrawItems(item, item);
    }
}

void CFilterTypeListCtrl::OnSetFocus(CWnd *pOldWnd)
{
    CListCtrl::OnSetFocus(pOldWnd);
    RepaintSelection();
    UpdateWindow();
}

void CFilterTypeListCtrl::OnKillFocus(CWnd *pNewWnd)
{
    CListCtrl::OnKillFocus(pNewWnd);
    RepaintSelection();
    UpdateWindow();
}

void CFilterTypeListCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int item = HitTest(point);
    FilterLeafNode *leaf = GetLeaf(item);
    CRect label;
    if (leaf == nullptr || !GetItemRect(item, &label, LVIR_LABEL) || !label.PtInRect(point))
    {
        CListCtrl::OnLButtonDown(nFlags, point);
        return;
    }
    if (point.x < label.left + kBoxWidth)
    {
        leaf->Toggle();
        RedrawItems(item, item);
        return;
    }
    if (!leaf->IsFolder())
    {
        CListCtrl::OnLButtonDown(nFlags, point);
        return;
    }
    SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus();
    if (point.x >= label.right - kBoxWidth)
    {
        CWnd *owner = GetParent();
        CWnd *browserOwner = owner != nullptr ? owner->GetParent() : nullptr;
        CString path;
        if (g_pfnBrowseFilterFolder(browserOwner != nullptr ? browserOwner->GetSafeHwnd() : nullptr, path) &&
            !path.IsEmpty())
        {
            leaf->SetValue(path);
            SetItemText(item, 0, path);
        }
    }
}

void CFilterTypeListCtrl::OnItemChanged(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *change = reinterpret_cast<const NMLISTVIEW *>(pNMHDR);
    *pResult = 0;
    if (m_editor == nullptr || (change->uChanged & LVIF_STATE) == 0)
        return;
    const bool was = (change->uOldState & LVIS_SELECTED) != 0;
    const bool is = (change->uNewState & LVIS_SELECTED) != 0;
    if (was != is)
        m_editor->OnRowSelected(is);
}

int CFilterTypeListCtrl::ColumnAt(int item, CPoint point, int &left) const
{
    CRect label;
    if (!GetItemRect(item, &label, LVIR_LABEL))
        return -1;
    if (label.PtInRect(point))
    {
        left = label.left;
        return 0;
    }
    int edge = label.right;
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    for (int index = 1; GetColumn(index, &column); ++index)
    {
        if (point.x >= edge && point.x < edge + column.cx)
        {
            left = edge;
            return index;
        }
        edge += column.cx;
    }
    return -1;
}

void CFilterTypeListCtrl::OnBeginLabelEdit(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *info = reinterpret_cast<const NMLVDISPINFOW *>(pNMHDR);
    const int item = info->item.iItem;
    CPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    int left = 0;
    const int column = ColumnAt(item, cursor, left);
    HWND editBox = reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL));
    CRect row;
    if (column < 0 || editBox == nullptr || !GetItemRect(item, &row, LVIR_BOUNDS) || !m_edit.SubclassWindow(editBox))
    {
        *pResult = TRUE;
        return;
    }
    m_editColumn = column;
    m_edit.m_x = left;
    m_edit.m_y = row.top - 1;
    m_edit.SetWindowText(GetItemText(item, column));
    m_edit.SetWindowPos(nullptr, left, row.top - 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    *pResult = FALSE;
}

void CFilterTypeListCtrl::OnEndLabelEdit(NMHDR *pNMHDR, LRESULT *pResult)
{
    const auto *info = reinterpret_cast<const NMLVDISPINFOW *>(pNMHDR);
    const int item = info->item.iItem;
    FilterLeafNode *leaf = GetLeaf(item);
    const CString text = info->item.pszText != nullptr ? CString(info->item.pszText) : CString();
    if (leaf != nullptr && !text.IsEmpty() && m_editColumn >= 0)
    {
        if (m_editColumn == 0)
            leaf->SetValue(text);
        else
            leaf->SetDescription(text);
        SetItemText(item, m_editColumn, text);
    }
    m_editColumn = -1;
    if (m_edit.GetSafeHwnd() != nullptr)
        m_edit.UnsubclassWindow();
    SetItemState(item, 0, LVIS_SELECTED | LVIS_FOCUSED);
    // The list sets no text of its own: the row holds the edited column's text already.
    *pResult = FALSE;
}
