#include "setup/filterui/FilterListCtrl.h"

#include "platform/drawing/Dc.h"

namespace
{

// The blue of the filter names (blue-green-red order).
const COLORREF kFilterTextColour = 0xFF0000;
// Where the hosted controls lie in their rows.
const int kHostedIndent = 6;
const int kHostedEditWidth = 200;

} // namespace

BEGIN_MESSAGE_MAP(CFilterListCtrl, CListCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_VSCROLL()
ON_WM_MOUSEWHEEL()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CFilterListCtrl::CFilterListCtrl() : m_filterCount(0), m_hostedCheck(nullptr), m_hostedEdit(nullptr)
{
}

CFilterListCtrl::~CFilterListCtrl() = default;

void CFilterListCtrl::InitLook()
{
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_CHECKBOXES);
    SetTextColor(kFilterTextColour);
    HGDIOBJ source = nullptr;
    if (CFont *font = GetFont())
        source = font->GetSafeHandle();
    if (source == nullptr)
        source = ::GetStockObject(DEFAULT_GUI_FONT);
    if (source == nullptr)
        source = ::GetStockObject(SYSTEM_FONT);
    LOGFONTW look = {};
    if (source != nullptr && ::GetObjectW(source, sizeof(look), &look) != 0)
    {
        look.lfUnderline = FALSE;
        m_font.DeleteObject();
        if (m_font.CreateFontIndirect(&look))
            SetFont(&m_font);
    }
}

void CFilterListCtrl::SetCheckImage(int item, int image)
{
    SetItemState(item, INDEXTOSTATEIMAGEMASK(image), LVIS_STATEIMAGEMASK);
}

void CFilterListCtrl::Fill(FilterNode *parent, bool selectedOnly)
{
    DeleteAllItems();
    m_filterCount = 0;
    if (parent != nullptr)
    {
        for (FilterNode *filter : parent->GetChildren())
        {
            if (selectedOnly && !filter->IsSelected())
                continue;
            const int item = InsertItem(m_filterCount, filter->GetText());
            if (item < 0)
                continue;
            SetItemData(item, reinterpret_cast<DWORD_PTR>(filter));
            SetCheckImage(item, filter->IsSelected() ? FILTER_ITEM_TICKED : FILTER_ITEM_UNTICKED);
            ++m_filterCount;
        }
    }
    if (m_hostedCheck != nullptr)
    {
        // Two rows without a check box of the list's own: the hosted controls lie over them.
        for (int row = 0; row < 2; ++row)
        {
            const int item = InsertItem(m_filterCount + row, L"");
            SetCheckImage(item, 0);
        }
        PlaceHostedControls();
    }
}

void CFilterListCtrl::RefreshChecks()
{
    for (int item = 0; item < m_filterCount; ++item)
    {
        if (FilterNode *node = GetNode(item))
            SetCheckImage(item, node->IsSelected() ? FILTER_ITEM_TICKED : FILTER_ITEM_UNTICKED);
    }
}

FilterNode *CFilterListCtrl::GetNode(int item) const
{
    if (item < 0 || item >= m_filterCount)
        return nullptr;
    return reinterpret_cast<FilterNode *>(GetItemData(item));
}

void CFilterListCtrl::HostCustomRows(CButton *check, CEdit *edit)
{
    m_hostedCheck = check;
    m_hostedEdit = edit;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    SetBkColor(face);
    SetTextBkColor(face);
    m_faceBrush.DeleteObject();
    m_faceBrush.CreateSolidBrush(face);
    if (check != nullptr && check->GetSafeHwnd() != nullptr)
        check->SetParent(this);
    if (edit != nullptr && edit->GetSafeHwnd() != nullptr)
    {
        edit->SetParent(this);
        edit->EnableWindow(check != nullptr && check->GetCheck() == BST_CHECKED);
    }
}

void CFilterListCtrl::PlaceHostedControls()
{
    if (m_hostedCheck == nullptr || m_hostedCheck->GetSafeHwnd() == nullptr)
        return;
    CRect row;
    if (GetItemRect(m_filterCount, &row, LVIR_BOUNDS))
        m_hostedCheck->SetWindowPos(nullptr, row.left + kHostedIndent, row.top, row.Width() - kHostedIndent,
                                    row.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_hostedEdit != nullptr && m_hostedEdit->GetSafeHwnd() != nullptr &&
        GetItemRect(m_filterCount + 1, &row, LVIR_BOUNDS))
        m_hostedEdit->SetWindowPos(nullptr, row.left + kHostedIndent, row.top, kHostedEditWidth, row.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFilterListCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    UINT flags = 0;
    const int item = HitTest(point, &flags);
    if (item >= m_filterCount && m_hostedCheck != nullptr)
        return;
    FilterNode *node = GetNode(item);
    if (node != nullptr && (flags & LVHT_ONITEMSTATEICON))
    {
        node->Toggle();
        SetCheckImage(item, node->IsSelected() ? FILTER_ITEM_TICKED : FILTER_ITEM_UNTICKED);
        if (CWnd *owner = GetParent())
            owner->SendMessage(WM_FILTER_TOGGLED);
        return;
    }
    if (node != nullptr && (flags & (LVHT_ONITEMLABEL | LVHT_ONITEMICON)))
    {
        if (CWnd *owner = GetParent())
            owner->SendMessage(WM_FILTER_LABEL_CLICKED, static_cast<WPARAM>(item));
        return;
    }
    CListCtrl::OnLButtonDown(nFlags, point);
}

void CFilterListCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar *pScrollBar)
{
    CListCtrl::OnVScroll(nSBCode, nPos, pScrollBar);
    PlaceHostedControls();
}

BOOL CFilterListCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    const BOOL handled = CListCtrl::OnMouseWheel(nFlags, zDelta, pt);
    PlaceHostedControls();
    return handled;
}

HBRUSH CFilterListCtrl::OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
{
    // The hosted check box lies on the list's face colour.
    if (m_hostedCheck != nullptr && pWnd != nullptr && pWnd->GetSafeHwnd() == m_hostedCheck->GetSafeHwnd() &&
        m_faceBrush.GetSafeHandle() != nullptr)
    {
        pDC->SetBkColor(::GetSysColor(COLOR_BTNFACE));
        return static_cast<HBRUSH>(m_faceBrush.GetSafeHandle());
    }
    return CListCtrl::OnCtlColor(pDC, pWnd, nCtlColor);
}

BOOL CFilterListCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (m_hostedCheck != nullptr && reinterpret_cast<HWND>(lParam) == m_hostedCheck->GetSafeHwnd() &&
        HIWORD(wParam) == BN_CLICKED)
    {
        if (m_hostedEdit != nullptr)
            m_hostedEdit->EnableWindow(m_hostedCheck->GetCheck() == BST_CHECKED);
        return TRUE;
    }
    return CListCtrl::OnCommand(wParam, lParam);
}
