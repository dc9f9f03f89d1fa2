// Tables: splitting the text into rows and cells, placing the cells in the grid, the table, row and cell styles,
// and the measuring pass that sizes the columns and rows.
#include "ui/markup/PPHtmlTables.h"

#include <algorithm>
#include <numeric>

#include "ui/markup/PPHtmlDrawer.h"

namespace
{

// A span larger than this many columns is taken as this many.
const int kMaxColSpan = 1000;

struct TagAt
{
    int nStart = 0; // the "<"
    int nEnd = 0;   // after the ">"
    CString strParams;
};

// The next tag named strName in [from, to) at the table level where the search starts (tags of tables nested
// in between are passed over).
bool FindAtLevel(const CString &text, int from, int to, LPCWSTR strName, TagAt &found)
{
    int pos = from;
    int depth = 0;
    CString before;
    CString tag;
    CString name;
    CString params;
    int start = 0;
    while (pos < to && CPPHtmlDrawer::NextTag(text, pos, before, tag, &start))
    {
        if (start >= to)
            return false;
        CPPHtmlDrawer::SplitTag(tag, name, params);
        if (depth == 0 && name == strName)
        {
            found.nStart = start;
            found.nEnd = pos;
            found.strParams = params;
            return true;
        }
        if (name == L"table")
            ++depth;
        else if (name == L"/table" && depth > 0)
            --depth;
    }
    return false;
}

// "rowspan" and "colspan" are sizes: the sign is skipped, and a span below 1 counts as 1.
int Span(const CPPHtmlDrawer &drawer, const CString &strParams, LPCWSTR lpszName)
{
    CString value;
    if (!CPPHtmlDrawer::GetParameter(strParams, lpszName, value))
        return 1;
    return std::max(drawer.GetLengthUnit(value, 1), 1);
}

enum class Part
{
    Table,
    Row,
    Cell,
};

// The attributes that tables, rows and cells share, read onto the style.
void ReadAttributes(const CPPHtmlDrawer &drawer, const CString &strParams, PPHtmlStyle &style, Part part)
{
    CString value;
    auto has = [&](LPCWSTR name) { return CPPHtmlDrawer::GetParameter(strParams, name, value); };
    const BOOL enabled = drawer.IsEnabled();
    if (part == Part::Table)
    {
        if (has(L"cellpadding"))
            style.nMargin = drawer.GetLengthUnit(value, style.nMargin);
        if (has(L"cellspacing"))
            style.nPadding = drawer.GetLengthUnit(value, style.nPadding);
    }
    if (has(L"background"))
        style.strNameResBk = value;
    // The style first, so that "border=0" has the last word over a style given beside it.
    if (has(L"borderstyle"))
    {
        style.nBorderStyle = drawer.GetStyleBorder(value, style.nBorderStyle);
        if (style.nBorderStyle != PPBS_NONE && style.nBorderWidth == 0)
            style.nBorderWidth = 1;
    }
    if (has(L"border"))
    {
        style.nBorderWidth = drawer.GetLengthUnit(value, style.nBorderWidth);
        if (style.nBorderWidth == 0)
            style.nBorderStyle = PPBS_NONE;
        else if (style.nBorderStyle == PPBS_NONE)
            style.nBorderStyle = PPBS_SOLID;
    }
    if (has(L"bordercolor"))
        style.crBorderLight = style.crBorderDark =
            enabled ? drawer.GetColor(value, style.crBorderLight) : drawer.GetDisabledColor();
    if (has(L"bordercolorlight"))
        style.crBorderLight = enabled ? drawer.GetColor(value, style.crBorderLight) : drawer.GetDisabledColor();
    if (has(L"bordercolordark"))
        style.crBorderDark = enabled ? drawer.GetColor(value, style.crBorderDark) : drawer.GetDisabledColor();
    if (enabled)
    {
        if (has(L"bgcolor"))
        {
            style.crBkgnd = drawer.GetColor(value, style.crBkgnd);
            if (style.nFillBkgnd == PPFX_TRANSPARENT)
                style.nFillBkgnd = PPFX_SOLID;
        }
        if (has(L"bgmidcolor"))
            style.crMidBkgnd = drawer.GetColor(value, style.crMidBkgnd);
        if (has(L"bgendcolor"))
            style.crEndBkgnd = drawer.GetColor(value, style.crEndBkgnd);
        if (has(L"bgeffect"))
            style.nFillBkgnd = drawer.GetStyleBkEffect(value, style.nFillBkgnd);
    }
    if (has(L"align"))
        style.nHorzAlign = drawer.GetStyleHorzAlign(value, style.nHorzAlign);
    if (has(L"valign"))
        style.nVertAlign = drawer.GetStyleVertAlign(value, style.nVertAlign);
    if (part != Part::Table && has(L"width"))
        style.nWidth = drawer.GetLengthUnit(value, 0);
    if (has(L"height"))
        style.nHeight = drawer.GetLengthUnit(value, 0);

    if (style.nBorderStyle == PPBS_NONE || style.nBorderWidth <= 0)
    {
        style.nBorderStyle = PPBS_NONE;
        style.nBorderWidth = 0;
    }
    else if (style.nBorderStyle != PPBS_SOLID || part == Part::Cell)
    {
        style.nBorderWidth = 1;
    }
}

// Spreads what the span [first, first + count) lacks equally over it, the remainder to the last.
void Spread(std::vector<int> &sizes, int first, int count, int lack)
{
    if (lack <= 0 || count <= 0)
        return;
    for (int i = 0; i < count; ++i)
        sizes[static_cast<size_t>(first + i)] += lack / count;
    sizes[static_cast<size_t>(first + count - 1)] += lack % count;
}

// The room a span of count sizes from first takes, with the gaps between them.
int SpanExtent(const std::vector<int> &sizes, int first, int count, int spacing)
{
    const auto begin = sizes.begin() + first;
    return std::accumulate(begin, begin + count, 0) + (count - 1) * (1 + spacing);
}

int TotalExtent(const std::vector<int> &sizes, int spacing, int border)
{
    const int count = static_cast<int>(sizes.size());
    return std::accumulate(sizes.begin(), sizes.end(), 0) + (count + 1) * spacing + std::max(count - 1, 0) + 2 * border;
}

// Shares extra over the sizes that are not fixed, one after another: each takes the rest divided by the number
// of such sizes still left.
void Share(std::vector<int> &sizes, const std::vector<bool> &fixed, int extra)
{
    int left = static_cast<int>(std::count(fixed.begin(), fixed.end(), false));
    for (size_t i = 0; i < sizes.size() && left > 0; ++i)
    {
        if (fixed[i])
            continue;
        const int share = extra / left;
        sizes[i] += share;
        extra -= share;
        --left;
    }
}

} // namespace

int CPPHtmlTables::BorderThickness(const PPHtmlStyle &style)
{
    if (style.nBorderStyle == PPBS_NONE || style.nBorderWidth <= 0)
        return 0;
    return style.nBorderStyle == PPBS_DOUBLE ? 3 * style.nBorderWidth : style.nBorderWidth;
}

CPPHtmlTables::TableText CPPHtmlTables::Split(const CString &strTable)
{
    TableText table;
    int pos = 0;
    CString before;
    CString tag;
    CString name;
    if (!CPPHtmlDrawer::NextTag(strTable, pos, before, tag))
        return table;
    CPPHtmlDrawer::SplitTag(tag, name, table.strParams);

    const int bodyStart = pos;
    int bodyEnd = strTable.GetLength();
    TagAt found;
    if (FindAtLevel(strTable, bodyStart, bodyEnd, L"/table", found))
        bodyEnd = found.nStart;

    TagAt row;
    int rowSearch = bodyStart;
    while (FindAtLevel(strTable, rowSearch, bodyEnd, L"tr", row))
    {
        RowText rowText;
        rowText.strParams = row.strParams;
        int rowEnd = bodyEnd;
        rowSearch = bodyEnd;
        if (FindAtLevel(strTable, row.nEnd, bodyEnd, L"/tr", found))
        {
            rowEnd = found.nStart;
            rowSearch = found.nEnd;
        }
        TagAt cell;
        int cellSearch = row.nEnd;
        while (FindAtLevel(strTable, cellSearch, rowEnd, L"td", cell))
        {
            int cellEnd = rowEnd;
            cellSearch = rowEnd;
            if (FindAtLevel(strTable, cell.nEnd, rowEnd, L"/td", found))
            {
                cellEnd = found.nStart;
                cellSearch = found.nEnd;
            }
            rowText.cells.push_back({cell.strParams, strTable.Mid(cell.nEnd, cellEnd - cell.nEnd)});
        }
        table.rows.push_back(rowText);
    }
    return table;
}

CPPHtmlTables::Layout CPPHtmlTables::PlaceCells(const CPPHtmlDrawer &drawer, const TableText &table)
{
    Layout layout;
    const int rows = static_cast<int>(table.rows.size());
    std::vector<std::vector<bool>> taken(table.rows.size());
    for (int r = 0; r < rows; ++r)
    {
        int column = 0;
        for (const CellText &cell : table.rows[static_cast<size_t>(r)].cells)
        {
            std::vector<bool> &line = taken[static_cast<size_t>(r)];
            while (column < static_cast<int>(line.size()) && line[static_cast<size_t>(column)])
                ++column;
            Place place;
            place.nRow = r;
            place.nColumn = column;
            // A row span past the last row ends with it.
            place.nRowSpan = std::min(Span(drawer, cell.strParams, L"rowspan"), rows - r);
            place.nColSpan = std::min(Span(drawer, cell.strParams, L"colspan"), kMaxColSpan);
            for (int rr = r; rr < r + place.nRowSpan; ++rr)
            {
                std::vector<bool> &covered = taken[static_cast<size_t>(rr)];
                if (static_cast<int>(covered.size()) < column + place.nColSpan)
                    covered.resize(static_cast<size_t>(column + place.nColSpan), false);
                std::fill(covered.begin() + column, covered.begin() + column + place.nColSpan, true);
            }
            column += place.nColSpan;
            layout.nColumns = std::max(layout.nColumns, column);
            layout.places.push_back(place);
        }
    }
    return layout;
}

CPPHtmlTables::TableStyle CPPHtmlTables::OpenTable(CPPHtmlDrawer &drawer, const CString &strParams, const CRect &frame)
{
    drawer.PushStyle();
    PPHtmlStyle &style = drawer.CurrentStyle();
    TableStyle table;
    table.nEnclosingAlign = style.nHorzAlign;
    // The box of the enclosing text or cell is not the table's: its size, background, border and cell spacing
    // start afresh.
    style.nWidth = 0;
    style.nHeight = 0;
    style.nFillBkgnd = PPFX_TRANSPARENT;
    style.strNameResBk.Empty();
    style.nBorderStyle = PPBS_NONE;
    style.nBorderWidth = 0;
    style.nMargin = 2;
    style.nPadding = 0;
    drawer.ApplyStyleSheet(L"table");
    ReadAttributes(drawer, strParams, style, Part::Table);

    // A percentage of the block counts only when lines have a maximum width to be a percentage of.
    CString value;
    if (CPPHtmlDrawer::GetParameter(strParams, L"width", value) && !value.IsEmpty())
    {
        if (value[value.GetLength() - 1] == L'%')
            style.nWidth =
                drawer.GetMaxWidth() > 0 && frame.Width() > 0 ? drawer.GetLengthUnit(value, frame.Width()) : 0;
        else
            style.nWidth = drawer.GetLengthUnit(value, 0);
    }
    table.nSpacing = std::max(style.nPadding, 0);
    table.nPadding = std::max(style.nMargin, 0);
    table.nBorder = BorderThickness(style);
    table.nWidth = style.nWidth;
    table.nHeight = style.nHeight;
    table.nAlign = style.nHorzAlign;
    drawer.SelectStyle();
    return table;
}

void CPPHtmlTables::OpenRow(CPPHtmlDrawer &drawer, const CString &strParams, const TableStyle &table)
{
    drawer.PushStyle();
    PPHtmlStyle &style = drawer.CurrentStyle();
    // The table's own size, background and placement are not its rows'; its border, colours and valign are.
    style.nWidth = 0;
    style.nHeight = 0;
    style.nFillBkgnd = PPFX_TRANSPARENT;
    style.strNameResBk.Empty();
    style.nHorzAlign = table.nEnclosingAlign;
    drawer.ApplyStyleSheet(L"tr");
    ReadAttributes(drawer, strParams, style, Part::Row);
    drawer.SelectStyle();
}

void CPPHtmlTables::OpenCell(CPPHtmlDrawer &drawer, const CString &strParams)
{
    drawer.PushStyle();
    PPHtmlStyle &style = drawer.CurrentStyle();
    // A row's "height" is the least height of its cells; its "width" means nothing for them.
    style.nWidth = 0;
    drawer.ApplyStyleSheet(L"td");
    ReadAttributes(drawer, strParams, style, Part::Cell);
    drawer.SelectStyle();
}

void CPPHtmlTables::BeginPass(const CPPHtmlDrawer &drawer)
{
    if (drawer.IsMeasuring())
        m_grids.clear();
    m_nNextNumber = 0;
}

const PPHtmlTableGrid *CPPHtmlTables::GetGrid(int nNumber) const
{
    auto found = m_grids.find(nNumber);
    return found != m_grids.end() ? &found->second : nullptr;
}

CSize CPPHtmlTables::TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame)
{
    const int number = m_nNextNumber++;
    const TableText table = Split(strTable);
    const size_t depth = drawer.GetStyleDepth();
    const CSize size =
        drawer.IsMeasuring() ? Measure(drawer, table, number, frame) : Draw(drawer, table, number, frame);
    drawer.RestoreStyleDepth(depth);
    return size;
}

CSize CPPHtmlTables::Measure(CPPHtmlDrawer &drawer, const TableText &table, int nNumber, const CRect &frame)
{
    const TableStyle style = OpenTable(drawer, table.strParams, frame);
    const Layout layout = PlaceCells(drawer, table);

    // Each cell's content is measured as a text of its own, without a line width: lines end only at line breaks,
    // and the cell gets at least the room its widest line takes.
    PPHtmlTableGrid grid;
    std::vector<CSize> natural;
    std::vector<CSize> wanted;
    for (const RowText &row : table.rows)
    {
        const size_t rowDepth = drawer.GetStyleDepth();
        OpenRow(drawer, row.strParams, style);
        for (const CellText &cell : row.cells)
        {
            const size_t cellDepth = drawer.GetStyleDepth();
            OpenCell(drawer, cell.strParams);
            const PPHtmlStyle cellStyle = drawer.CurrentStyle();
            const CSize content = drawer.Blocks(cell.strContent, CRect(0, 0, 0, 0));
            drawer.RestoreStyleDepth(cellDepth);
            const int frameSize = 2 * (style.nPadding + BorderThickness(cellStyle));
            grid.contents.push_back(content);
            natural.push_back(content + CSize(frameSize, frameSize));
            wanted.push_back(CSize(std::max(cellStyle.nWidth, 0), std::max(cellStyle.nHeight, 0)));
        }
        drawer.RestoreStyleDepth(rowDepth);
    }

    grid.columns.assign(static_cast<size_t>(layout.nColumns), 0);
    grid.fixed.assign(static_cast<size_t>(layout.nColumns), false);
    grid.rows.assign(table.rows.size(), 0);
    // Cells of one column or row first, then the spanning cells spread what their columns or rows lack.
    for (size_t i = 0; i < layout.places.size(); ++i)
    {
        const Place &place = layout.places[i];
        const size_t column = static_cast<size_t>(place.nColumn);
        const size_t row = static_cast<size_t>(place.nRow);
        if (place.nColSpan == 1)
        {
            grid.columns[column] = std::max<int>({grid.columns[column], natural[i].cx, wanted[i].cx});
            if (wanted[i].cx > 0)
                grid.fixed[column] = true;
        }
        if (place.nRowSpan == 1)
            grid.rows[row] = std::max<int>({grid.rows[row], natural[i].cy, wanted[i].cy});
    }
    for (size_t i = 0; i < layout.places.size(); ++i)
    {
        const Place &place = layout.places[i];
        if (place.nColSpan > 1)
        {
            const int need = std::max<int>(natural[i].cx, wanted[i].cx);
            Spread(grid.columns, place.nColumn, place.nColSpan,
                   need - SpanExtent(grid.columns, place.nColumn, place.nColSpan, style.nSpacing));
        }
        if (place.nRowSpan > 1)
        {
            const int need = std::max<int>(natural[i].cy, wanted[i].cy);
            Spread(grid.rows, place.nRow, place.nRowSpan,
                   need - SpanExtent(grid.rows, place.nRow, place.nRowSpan, style.nSpacing));
        }
    }

    // A table narrower (lower) than it asks to be shares the difference over its free columns (all rows).
    int width = TotalExtent(grid.columns, style.nSpacing, style.nBorder);
    if (style.nWidth > width && std::count(grid.fixed.begin(), grid.fixed.end(), false) > 0)
    {
        Share(grid.columns, grid.fixed, style.nWidth - width);
        width = style.nWidth;
    }
    int height = TotalExtent(grid.rows, style.nSpacing, style.nBorder);
    if (style.nHeight > height && !grid.rows.empty())
    {
        Share(grid.rows, std::vector<bool>(grid.rows.size(), false), style.nHeight - height);
        height = style.nHeight;
    }
    grid.size = CSize(width, height);
    m_grids[nNumber] = grid;
    return grid.size;
}
