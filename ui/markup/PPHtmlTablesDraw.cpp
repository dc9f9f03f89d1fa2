// Tables: the drawing pass, which places the table, its rows and cells by the stored grid and draws their
// backgrounds, borders and contents.
#include "ui/markup/PPHtmlTables.h"

#include <algorithm>

#include "ui/markup/PPHtmlDrawer.h"
#include "ui/markup/PPHtmlImages.h"

namespace
{

// Where each column (row) starts: after the border and the spacing, then after each one, one pixel and the
// spacing.
std::vector<int> Starts(const std::vector<int> &sizes, int origin, int spacing)
{
    std::vector<int> starts(sizes.size());
    int at = origin + spacing;
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        starts[i] = at;
        at += sizes[i] + 1 + spacing;
    }
    return starts;
}

} // namespace

void CPPHtmlTables::DrawBox(CPPHtmlDrawer &drawer, const CRect &rect, int nBorder)
{
    const PPHtmlStyle &style = drawer.CurrentStyle();
    HDC hDC = drawer.GetOutputDC();
    if (style.nFillBkgnd == PPFX_TRANSPARENT)
    {
        if (!style.strNameResBk.IsEmpty())
            m_images.DrawBackground(drawer, style.strNameResBk, rect);
    }
    else if (drawer.IsEnabled())
    {
        drawer.GetDrawManager().FillEffect(hDC, style.nFillBkgnd, rect, style.crBkgnd, style.crMidBkgnd,
                                           style.crEndBkgnd);
    }
    if (nBorder > 0)
    {
        const BOOL enabled = drawer.IsEnabled();
        drawer.GetDrawManager().DrawRectangle(hDC, rect, enabled ? style.crBorderLight : drawer.GetDisabledColor(),
                                              enabled ? style.crBorderDark : drawer.GetDisabledColor(),
                                              style.nBorderStyle, style.nBorderWidth);
    }
}

void CPPHtmlTables::ReportBox(CPPHtmlDrawer &drawer, int nNumber, const Place *pPlace, const CRect &rect, int nBorder)
{
    IPPHtmlObserver *observer = drawer.GetObserver();
    if (observer == nullptr)
        return;
    PPHtmlBox box;
    box.nTable = nNumber;
    if (pPlace != nullptr)
    {
        box.nRow = pPlace->nRow;
        box.nColumn = pPlace->nColumn;
        box.nRowSpan = pPlace->nRowSpan;
        box.nColSpan = pPlace->nColSpan;
    }
    box.rect = rect;
    box.nBorderStyle = drawer.CurrentStyle().nBorderStyle;
    box.nBorder = nBorder;
    observer->OnBox(box);
}

CSize CPPHtmlTables::Draw(CPPHtmlDrawer &drawer, const TableText &table, int nNumber, const CRect &frame)
{
    // The grid must be the one measured for this very table.
    const PPHtmlTableGrid *grid = GetGrid(nNumber);
    const Layout layout = PlaceCells(drawer, table);
    if (grid == nullptr || grid->columns.size() != static_cast<size_t>(layout.nColumns) ||
        grid->rows.size() != table.rows.size() || grid->contents.size() != layout.places.size())
        return CSize(0, 0);

    const TableStyle style = OpenTable(drawer, table.strParams, frame);
    const CSize size = grid->size;
    int left = frame.left;
    const int free = frame.Width() - size.cx;
    if (free > 0 && style.nAlign == PPHA_CENTER)
        left += free / 2;
    else if (free > 0 && style.nAlign == PPHA_RIGHT)
        left = frame.right - size.cx;
    const CRect rect(left, frame.top, left + size.cx, frame.top + size.cy);
    DrawBox(drawer, rect, style.nBorder);
    ReportBox(drawer, nNumber, nullptr, rect, style.nBorder);

    const std::vector<int> columnStarts = Starts(grid->columns, rect.left + style.nBorder, style.nSpacing);
    const std::vector<int> rowStarts = Starts(grid->rows, rect.top + style.nBorder, style.nSpacing);
    size_t index = 0;
    for (const RowText &row : table.rows)
    {
        const size_t rowDepth = drawer.GetStyleDepth();
        OpenRow(drawer, row.strParams, style);
        for (const CellText &cell : row.cells)
        {
            const Place &place = layout.places[index];
            const CSize content = grid->contents[index];
            ++index;
            const size_t cellDepth = drawer.GetStyleDepth();
            OpenCell(drawer, cell.strParams);
            const size_t lastColumn = static_cast<size_t>(place.nColumn + place.nColSpan - 1);
            const size_t lastRow = static_cast<size_t>(place.nRow + place.nRowSpan - 1);
            const CRect cellRect(
                columnStarts[static_cast<size_t>(place.nColumn)], rowStarts[static_cast<size_t>(place.nRow)],
                columnStarts[lastColumn] + grid->columns[lastColumn], rowStarts[lastRow] + grid->rows[lastRow]);
            const int border = BorderThickness(drawer.CurrentStyle());
            DrawBox(drawer, cellRect, border);
            ReportBox(drawer, nNumber, &place, cellRect, border);

            CRect inner = cellRect;
            inner.DeflateRect(border + style.nPadding, border + style.nPadding);
            const int room = std::max<int>(inner.Height() - content.cy, 0);
            int offset = 0;
            if (drawer.CurrentStyle().nVertAlign == PPVA_MIDDLE)
                offset = room / 2;
            else if (drawer.CurrentStyle().nVertAlign == PPVA_BOTTOM)
                offset = room;
            inner.OffsetRect(0, offset);
            drawer.Blocks(cell.strContent, inner);
            drawer.RestoreStyleDepth(cellDepth);
        }
        drawer.RestoreStyleDepth(rowDepth);
    }
    return size;
}
