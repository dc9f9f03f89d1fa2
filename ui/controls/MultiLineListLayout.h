// The multi-line list's data and geometry, apart from its window: cells, column widths, the cached row
// heights, and the scrolling and hit-testing rules over them. Positions are content pixels from the top (or
// left) edge of the grid.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <utility>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"

namespace mllist
{

const int kDefaultColumnWidth = 100;
// Space between a cell's edges and its text area.
const int kCellMargin = 2;
// One step of horizontal line scrolling.
const int kHorizontalLineStep = 25;

// The text that the layout measures for a cell: a text at least as wide as the column's text area
// (columnWidth - 4) that has no line feed of its own breaks once, after its last ';'.
CString LayoutText(const CString &text, int oneLineWidth, int columnWidth);

// The rectangle that text takes inside area when word-wrapped (left, top and right as in area; bottom where
// the text ends). dc holds the cell font.
CRect MeasureTextRect(HDC dc, const CString &text, const CRect &area);

// A cell's height as the layout stores it: the wrapped height of LayoutText in a column of columnWidth,
// plus 5. dc holds the cell font.
int MeasureCellHeight(HDC dc, const CString &text, int columnWidth);

class CMultilineListModel
{
  public:
    // Height of a cell of this text in a column this wide.
    using CellMeasure = std::function<int(const CString &text, int columnWidth)>;

    int GetColumnCount() const
    {
        return m_columns;
    }
    int GetRowCount() const
    {
        return m_rows;
    }

    // Negative counts count as 0. Cells, widths and heights beyond the new counts go; a change of the column
    // count drops every stored height. False when both counts were already these.
    bool SetSize(int columns, int rows);
    // A negative width counts as 0; a new width drops every stored height. False when unchanged or column < 0.
    bool SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    // Drops the row's stored height. False when the cell already reads text or an index is negative.
    bool SetItemText(int column, int row, const CString &text);
    // " " for a cell never set.
    CString GetItemText(int column, int row) const;

    // Measures every row that has no stored height: the tallest of its cells (0 without columns).
    void Layout(const CellMeasure &measure);
    bool IsRowMeasured(int row) const;
    // The stored height; 0 for a row not measured or not there.
    int GetRowHeight(int row) const;
    // Sum of the heights of the rows before row.
    int GetRowTop(int row) const;
    int GetContentHeight() const;
    int GetContentWidth() const;

    // The first row whose bottom lies below position; -1 when there is none.
    int TopRow(int position) const;
    // The row that content y falls in; -1 above the first or below the last row.
    int RowAt(int y) const;

  private:
    int m_columns = 0;
    int m_rows = 0;
    std::map<int, int> m_columnWidths;
    std::map<std::pair<int, int>, CString> m_cells; // (column, row)
    std::map<int, int> m_rowHeights;
};

// The scrolling rules; each gives the new position, never negative. A code the rule does not know leaves the
// position as it is; so do line, page and wheel steps when no row lies at the position.
int ScrollVertically(const CMultilineListModel &model, UINT code, int thumbPosition, int position, int dataHeight);
int ScrollHorizontally(const CMultilineListModel &model, UINT code, int thumbPosition, int position, int dataWidth);
// One row down for a negative delta, one row up for any other, whatever the delta's size.
int ScrollByWheel(const CMultilineListModel &model, int delta, int position, int dataHeight);
// The position that brings row into view (the position itself when it is in view already).
int PositionShowingRow(const CMultilineListModel &model, int row, int position, int dataHeight);

// The window's parts: the client less the visible bars, never of negative size.
CRect DataRect(const CRect &client, bool verticalBarVisible, bool horizontalBarVisible, int barWidth, int barHeight);
CRect VerticalBarRect(const CRect &client, int barWidth);
CRect HorizontalBarRect(const CRect &client, bool verticalBarVisible, int barWidth, int barHeight);

} // namespace mllist
