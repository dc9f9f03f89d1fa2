// CFilterTypeListCtrl: drawing a row and fitting a text to its column.
#include "setup/filterui/FilterTypeListCtrl.h"

#include <vssym32.h>

namespace
{

const wchar_t kEllipsis[] = L"...";
// The text of a later column lies this far inside its span; the label loses this much at each side first.
const int kColumnTextInset = 6;
const int kLabelInset = 2;

} // namespace

CString CFilterTypeListCtrl::FitText(CDC *pDC, const CString &text, int width)
{
    if (text.IsEmpty() || pDC->GetTextExtent(text).cx <= width)
        return text;
    const int ellipsis = pDC->GetTextExtent(kEllipsis, 3).cx;
    int kept = text.GetLength() > 1 ? text.GetLength() - 1 : 1;
    while (kept > 1 && pDC->GetTextExtent(text.GetString(), kept).cx + ellipsis > width)
        --kept;
    return text.Left(kept) + kEllipsis;
}

void CFilterTypeListCtrl::DrawCheckBox(CDC &dc, const CRect &box, bool checked)
{
    if (m_theme == nullptr || m_hTheme == nullptr)
        return;
    m_theme->DrawThemeBackground(m_hTheme, nullptr, dc.GetSafeHdc(), BP_CHECKBOX,
                                 checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &box, nullptr);
}

void CFilterTypeListCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    const int item = static_cast<int>(lpDrawItemStruct->itemID);
    FilterLeafNode *leaf = GetLeaf(item);
    CDC *dc = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect label;
    if (leaf == nullptr || dc == nullptr || !GetItemRect(item, &label, LVIR_LABEL))
        return;
    const int saved = dc->SaveDC();

    CRect row(lpDrawItemStruct->rcItem);
    row.left = label.left;
    const UINT state = GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const bool highlighted =
        ((state & LVIS_DROPHILITED) != 0 || ((state & LVIS_SELECTED) != 0 && (GetStyle() & LVS_SHOWSELALWAYS) != 0)) &&
        m_editColumn < 0;
    const COLORREF background = ::GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    dc->SetBkColor(background);
    dc->SetTextColor(::GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    dc->FillSolidRect(&row, background);

    const UINT textFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (m_editColumn != 0)
    {
        DrawCheckBox(*dc, CRect(label.left, row.top, label.left + kBoxWidth, row.bottom), leaf->IsSelected() != 0);
        CRect text(label.left + kBoxWidth + 1, row.top, label.right, row.bottom);
        if (leaf->IsFolder())
            text.right -= kBoxWidth + 1;
        CString shown = FitText(dc, GetItemText(item, 0), text.Width());
        dc->DrawText(shown, &text, textFormat);
        if (leaf->IsFolder() && m_imageDC.GetSafeHdc() != nullptr)
            dc->BitBlt(label.right - kBoxWidth, row.top, kBoxWidth, row.Height(), &m_imageDC, 0, 0, SRCCOPY);
    }

    label.DeflateRect(kLabelInset, 0);
    int edge = label.right;
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_FMT;
    for (int index = 1; GetColumn(index, &column); ++index)
    {
        const int left = edge;
        edge += column.cx;
        if (index == m_editColumn)
            continue;
        CRect text(left + kColumnTextInset, row.top, edge - kColumnTextInset, row.bottom);
        UINT align = DT_LEFT;
        if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
            align = DT_RIGHT;
        else if ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
            align = DT_CENTER;
        CString shown = FitText(dc, GetItemText(item, index), text.Width());
        dc->DrawText(shown, &text, textFormat | align);
    }

    if ((state & LVIS_FOCUSED) != 0 && ::GetFocus() == m_hWnd)
        dc->DrawFocusRect(&row);
    dc->RestoreDC(saved);
}
