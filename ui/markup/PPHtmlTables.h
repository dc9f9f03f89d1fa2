// Tables of the markup: "table", "tr" and "td" with their attributes, the grid of cells with spans, the widths
// of columns and heights of rows, backgrounds and borders, and each cell's content laid out as a text of its
// own (which may hold tables again).
//
// The measuring pass numbers the tables in the order they appear in the text (nested ones included) and stores
// each one's grid under its number; the drawing pass takes the grid of the same number back. Column x
// positions run from the inner left edge: + spacing, then + width + 1 + spacing per column, so that a table is
// as wide as its columns, (columns + 1) x the cell spacing, one pixel between neighbouring columns and its
// border on both sides; rows likewise.
#pragma once
#include <windows.h>

#include <map>
#include <vector>

#include "platform/text/Geometry.h"
#include "platform/text/String.h"
#include "ui/markup/PPHtmlStyle.h"

class CPPHtmlDrawer;
class CPPHtmlImages;

// The grid of one table as the measuring pass stores it.
struct PPHtmlTableGrid
{
    std::vector<int> columns;    // widths in pixels
    std::vector<bool> fixed;     // a cell's "width" gave the column its width
    std::vector<int> rows;       // heights in pixels
    std::vector<CSize> contents; // each cell's content, cells in the order of the text
    CSize size;                  // the whole table, border included
};

class CPPHtmlTables
{
  public:
    explicit CPPHtmlTables(CPPHtmlImages &images) : m_images(images)
    {
    }

    // A measuring pass forgets the stored grids; every pass numbers its tables from 0.
    void BeginPass(const CPPHtmlDrawer &drawer);
    // Measures (storing the grid) or draws the table block; returns its size. A drawing pass skips a table
    // whose number has no grid that fits it (size 0 x 0).
    CSize TableBlock(CPPHtmlDrawer &drawer, const CString &strTable, const CRect &frame);
    // The grid stored under the number by the last measuring pass; null when there is none.
    const PPHtmlTableGrid *GetGrid(int nNumber) const;

    // The text of a table split into its parts.
    struct CellText
    {
        CString strParams;
        CString strContent;
    };
    struct RowText
    {
        CString strParams;
        std::vector<CellText> cells;
    };
    struct TableText
    {
        CString strParams;
        std::vector<RowText> rows;
    };
    // Rows are the "tr" parts of the table's own level (nested tables skipped), cells the "td" parts of a row;
    // a missing "</td>", "</tr>" or "</table>" ends the part at the end of the enclosing one. Anything else
    // between them is ignored.
    static TableText Split(const CString &strTable);

  private:
    struct Place
    {
        int nRow = 0;
        int nColumn = 0;
        int nRowSpan = 1;
        int nColSpan = 1;
    };
    struct Layout
    {
        std::vector<Place> places; // cells in the order of the text
        int nColumns = 0;
    };
    // What a table's style gives its cells.
    struct TableStyle
    {
        int nSpacing = 0;
        int nPadding = 2;
        int nBorder = 0;
        int nWidth = 0; // the wanted width, 0 for none
        int nHeight = 0;
        int nAlign = 0;
        int nEnclosingAlign = 0;
    };

    CSize Measure(CPPHtmlDrawer &drawer, const TableText &table, int nNumber, const CRect &frame);
    CSize Draw(CPPHtmlDrawer &drawer, const TableText &table, int nNumber, const CRect &frame);
    // The pixels a border takes on each side: 3 for "double" (two lines with a gap), else its width.
    static int BorderThickness(const PPHtmlStyle &style);
    static Layout PlaceCells(const CPPHtmlDrawer &drawer, const TableText &table);
    static TableStyle OpenTable(CPPHtmlDrawer &drawer, const CString &strParams, const CRect &frame);
    static void OpenRow(CPPHtmlDrawer &drawer, const CString &strParams, const TableStyle &table);
    static void OpenCell(CPPHtmlDrawer &drawer, const CString &strParams);
    void DrawBox(CPPHtmlDrawer &drawer, const CRect &rect, int nBorder);
    static void ReportBox(CPPHtmlDrawer &drawer, int nNumber, const Place *pPlace, const CRect &rect, int nBorder);

    CPPHtmlImages &m_images;
    std::map<int, PPHtmlTableGrid> m_grids;
    int m_nNextNumber = 0;
};
