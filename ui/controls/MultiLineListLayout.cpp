#include "ui/controls/MultiLineListLayout.h"

#include <algorithm>
#include <climits>
#include <string>

namespace mllist
{

namespace
{

const UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX;

int ClampToInt(long long value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < 0)
        return 0;
    return static_cast<int>(value);
}

// Sum of the heights from row first to the last row.
long long HeightFrom(const CMultilineListModel &model, int first)
{
    long long sum = 0;
    for (int row = first; row < model.GetRowCount(); ++row)
        sum += model.GetRowHeight(row);
    return sum;
}

// The page step of the "page down" rule: a whole page while a whole page remains below the view, else what
// remains (never backwards, so a view already past the end stays where it is).
long long PageForward(long long content, long long position, long long extent)
{
    long long remaining = content - position - extent;
    if (remaining >= extent)
        return extent;
    return remaining > 0 ? remaining : 0;
}

} // namespace

CString LayoutText(const CString &text, int oneLineWidth, int columnWidth)
{
    if (oneLineWidth < columnWidth - 2 * kCellMargin || text.Find(L'\n') >= 0)
        return text;
    int semicolon = text.ReverseFind(L';');
    if (semicolon < 0)
        return text;
    CString broken = text;
    broken.Insert(semicolon + 1, L'\n');
    return broken;
}

CRect MeasureTextRect(HDC dc, const CString &text, const CRect &area)
{
    CRect measured = area;
    // A column narrower than its margins wraps in no width at all rather than in a negative one.
    if (measured.right < measured.left)
        measured.right = measured.left;
    std::wstring buffer(text.GetString(), static_cast<size_t>(text.GetLength()));
    buffer.push_back(L'\0');
    ::DrawTextExW(dc, &buffer[0], text.GetLength(), &measured, kTextFormat | DT_CALCRECT, nullptr);
    measured.left = area.left;
    measured.right = area.right;
    return measured;
}

int MeasureCellHeight(HDC dc, const CString &text, int columnWidth)
{
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, text.GetString(), text.GetLength(), &extent);
    CRect area(0, 0, columnWidth, 0);
    area.DeflateRect(kCellMargin, kCellMargin);
    CRect measured = MeasureTextRect(dc, LayoutText(text, extent.cx, columnWidth), area);
    measured.InflateRect(kCellMargin, kCellMargin);
    return measured.bottom + 1;
}

// --- The model ---

bool CMultilineListModel::SetSize(int columns, int rows)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (columns == m_columns && rows == m_rows)
        return false;
    if (columns < m_columns)
        m_columnWidths.erase(m_columnWidths.lower_bound(columns), m_columnWidths.end());
    for (auto it = m_cells.begin(); it != m_cells.end();)
    {
        if (it->first.first >= columns || it->first.second >= rows)
            it = m_cells.erase(it);
        else
            ++it;
    }
    // Heights measured over another set of columns are all stale, more columns as much as fewer.
    if (columns != m_columns)
        m_rowHeights.clear();
    else
        m_rowHeights.erase(m_rowHeights.lower_bound(rows), m_rowHeights.end());
    m_columns = columns;
    m_rows = rows;
    return true;
}

bool CMultilineListModel::SetColumnWidth(int column, int width)
{
    if (column < 0)
        return false;
    width = std::max(width, 0);
    if (GetColumnWidth(column) == width)
        return false;
    m_columnWidths[column] = width;
    m_rowHeights.clear();
    return true;
}

int CMultilineListModel::GetColumnWidth(int column) const
{
    auto it = m_columnWidths.find(column);
    return it != m_columnWidths.end() ? it->second : kDefaultColumnWidth;
}

bool CMultilineListModel::SetItemText(int column, int row, const CString &text)
{
    if (column < 0 || row < 0)
        return false;
    if (GetItemText(column, row).Compare(text) == 0)
        return false;
    m_cells[std::make_pair(column, row)] = text;
    m_rowHeights.erase(row);
    return true;
}

CString CMultilineListModel::GetItemText(int column, int row) const
{
    auto it = m_cells.find(std::make_pair(column, row));
    return it != m_cells.end() ? it->second : CString(L" ");
}

void CMultilineListModel::Layout(const CellMeasure &measure)
{
    for (int row = 0; row < m_rows; ++row)
    {
        if (m_rowHeights.count(row) != 0)
            continue;
        int height = 0;
        for (int column = 0; column < m_columns; ++column)
            height = std::max(height, measure(GetItemText(column, row), GetColumnWidth(column)));
        m_rowHeights[row] = height;
    }
}

bool CMultilineListModel::IsRowMeasured(int row) const
{
    return m_rowHeights.count(row) != 0;
}

int CMultilineListModel::GetRowHeight(int row) const
{
    if (row < 0 || row >= m_rows)
        return 0;
    auto it = m_rowHeights.find(row);
    return it != m_rowHeights.end() ? std::max(it->second, 0) : 0;
}

int CMultilineListModel::GetRowTop(int row) const
{
    long long top = 0;
    for (int r = 0; r < row && r < m_rows; ++r)
        top += GetRowHeight(r);
    return ClampToInt(top);
}

int CMultilineListModel::GetContentHeight() const
{
    return ClampToInt(HeightFrom(*this, 0));
}

int CMultilineListModel::GetContentWidth() const
{
    long long width = 0;
    for (int column = 0; column < m_columns; ++column)
        width += GetColumnWidth(column);
    return ClampToInt(width);
}

int CMultilineListModel::TopRow(int position) const
{
    long long bottom = 0;
    for (int row = 0; row < m_rows; ++row)
    {
        bottom += GetRowHeight(row);
        if (bottom > position)
            return row;
    }
    return -1;
}

int CMultilineListModel::RowAt(int y) const
{
    if (y < 0)
        return -1;
    long long top = 0;
    for (int row = 0; row < m_rows; ++row)
    {
        long long bottom = top + GetRowHeight(row);
        if (top <= y && y < bottom)
            return row;
        top = bottom;
    }
    return -1;
}

// --- Scrolling ---

int ScrollVertically(const CMultilineListModel &model, UINT code, int thumbPosition, int position, int dataHeight)
{
    long long extent = std::max(dataHeight, 0);
    long long next = position;
    switch (code)
    {
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        next = thumbPosition;
        break;
    case SB_PAGEUP:
        next -= extent;
        break;
    case SB_PAGEDOWN:
        next += PageForward(model.GetContentHeight(), position, extent);
        break;
    case SB_LINEUP: {
        int top = model.TopRow(position);
        if (top >= 0)
            next -= model.GetRowHeight(top > 0 ? top - 1 : 0);
        break;
    }
    case SB_LINEDOWN: {
        int top = model.TopRow(position);
        if (top >= 0 && HeightFrom(model, top) > extent)
            next += model.GetRowHeight(top);
        break;
    }
    default:
        break;
    }
    return ClampToInt(next);
}

int ScrollHorizontally(const CMultilineListModel &model, UINT code, int thumbPosition, int position, int dataWidth)
{
    long long extent = std::max(dataWidth, 0);
    long long next = position;
    switch (code)
    {
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        next = thumbPosition;
        break;
    case SB_PAGELEFT:
        next -= extent;
        break;
    case SB_PAGERIGHT:
        next += PageForward(model.GetContentWidth(), position, extent);
        break;
    case SB_LINELEFT:
        next -= kHorizontalLineStep;
        break;
    case SB_LINERIGHT:
        if (static_cast<long long>(model.GetContentWidth()) - position > extent)
            next += kHorizontalLineStep;
        break;
    default:
        break;
    }
    return ClampToInt(next);
}

int ScrollByWheel(const CMultilineListModel &model, int delta, int position, int dataHeight)
{
    return ScrollVertically(model, delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0, position, dataHeight);
}

int PositionShowingRow(const CMultilineListModel &model, int row, int position, int dataHeight)
{
    if (row < 0 || row >= model.GetRowCount())
        return std::max(position, 0);
    long long top = model.GetRowTop(row);
    long long height = model.GetRowHeight(row);
    long long extent = std::max(dataHeight, 0);
    if (top < position)
        return ClampToInt(top);
    if (top + height <= static_cast<long long>(position) + extent)
        return std::max(position, 0);
    return ClampToInt(height < extent ? top + height - extent : top);
}

// --- The window's parts ---

CRect DataRect(const CRect &client, bool verticalBarVisible, bool horizontalBarVisible, int barWidth, int barHeight)
{
    CRect data = client;
    if (verticalBarVisible)
        data.right -= barWidth;
    if (horizontalBarVisible)
        data.bottom -= barHeight;
    data.right = std::max(data.right, data.left);
    data.bottom = std::max(data.bottom, data.top);
    return data;
}

CRect VerticalBarRect(const CRect &client, int barWidth)
{
    return CRect(client.right - barWidth, client.top, client.right, client.bottom);
}

CRect HorizontalBarRect(const CRect &client, bool verticalBarVisible, int barWidth, int barHeight)
{
    return CRect(client.left, client.bottom - barHeight, client.right - (verticalBarVisible ? barWidth : 0),
                 client.bottom);
}

} // namespace mllist
