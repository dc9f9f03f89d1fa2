// Tables of the markup: nested tables in their cells with their grid numbers, spans and the parts of a table's
// text, borders and the width formula, free width shared over the columns, and a draw without a measure.
#include "MarkupTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <numeric>

using namespace markuptest;

namespace
{

class MarkupTable : public MarkupTest
{
  protected:
    void SetUp() override
    {
        MarkupTest::SetUp();
        auto extension = std::make_unique<CPPHtmlExtension>();
        m_extension = extension.get();
        m_drawer.SetExtension(std::move(extension));
    }
    // The recorded box of the table (row -1) or of its cell.
    const PPHtmlBox &Box(int table, int row = -1, int column = -1) const
    {
        for (const PPHtmlBox &box : m_recorder.boxes)
            if (box.nTable == table && box.nRow == row && box.nColumn == column)
                return box;
        ADD_FAILURE() << "no box " << table << " " << row << " " << column;
        static const PPHtmlBox none;
        return none;
    }
    std::vector<std::array<int, 4>> Cells(int table) const
    {
        std::vector<std::array<int, 4>> cells;
        for (const PPHtmlBox &box : m_recorder.boxes)
            if (box.nTable == table && box.nRow >= 0)
                cells.push_back({box.nRow, box.nColumn, box.nRowSpan, box.nColSpan});
        return cells;
    }
    const PPHtmlTableGrid &Grid(int table) const
    {
        const PPHtmlTableGrid *grid = m_extension->GetTables().GetGrid(table);
        static const PPHtmlTableGrid none;
        return grid != nullptr ? *grid : none;
    }
    CPPHtmlExtension *m_extension = nullptr;
};

bool Contains(const CRect &outer, const CRect &inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

TEST_F(MarkupTable, NestedTablesStayInTheirCellsAndKeepTheirNumbers)
{
    MeasureAndDraw(L"<table border=1><tr><td>a<table border=1><tr><td>x</td><td>y</td></tr><tr><td>z</td></tr>"
                   L"</table></td><td><table width=90 border=2><tr><td>w</td></tr></table></td></tr></table>end",
                   5, 5);
    // Each table is drawn at the size its number's grid was measured with; the two inner ones differ.
    for (int table = 0; table < 3; ++table)
        EXPECT_EQ(Box(table).rect.Size(), Grid(table).size) << table;
    EXPECT_EQ(Box(2).rect.Width(), 90);
    EXPECT_EQ(Cells(0), (std::vector<std::array<int, 4>>{{0, 0, 1, 1}, {0, 1, 1, 1}}))
        << "the inner rows and cells are not the outer table's";
    EXPECT_EQ(Cells(1), (std::vector<std::array<int, 4>>{{0, 0, 1, 1}, {0, 1, 1, 1}, {1, 0, 1, 1}}));
    EXPECT_TRUE(Contains(Box(0, 0, 0).rect, Box(1).rect));
    EXPECT_TRUE(Contains(Box(0, 0, 1).rect, Box(2).rect));
    for (LPCWSTR text : {L"x", L"y", L"z"})
        EXPECT_TRUE(Box(1).rect.PtInRect(CPoint(m_recorder.Run(text).x, m_recorder.Run(text).y))) << text;
    EXPECT_EQ(m_recorder.Run(L"end").y, Box(0).rect.bottom) << "the text after the table starts below it";
}

TEST_F(MarkupTable, SpansAndThePartsOfATable)
{
    struct Case
    {
        LPCWSTR markup;
        std::vector<std::array<int, 4>> cells; // row, column, rows, columns
        LPCWSTR drawn;
    };
    const Case cases[] = {
        {L"<table><tr><td>a</td><td>b</td></tr><tr><td colspan=2>w</td><td>c</td></tr></table>",
         {{0, 0, 1, 1}, {0, 1, 1, 1}, {1, 0, 1, 2}, {1, 2, 1, 1}},
         L"[a][b][w][c]"},
        {L"<table><tr><td colspan=0>a</td><td colspan=-2>b</td><td>c</td></tr></table>",
         {{0, 0, 1, 1}, {0, 1, 1, 2}, {0, 3, 1, 1}},
         L"[a][b][c]"},
        {L"<table><tr><td rowspan=2 height=120>t</td><td>a</td></tr><tr><td>b</td></tr></table>",
         {{0, 0, 2, 1}, {0, 1, 1, 1}, {1, 1, 1, 1}},
         L"[t][a][b]"},
        // Cells outside a row and text between cells are ignored; a missing end runs to the enclosing one.
        {L"<table><td>lost</td><tr>between<td>a<td>b</tr></table>", {{0, 0, 1, 1}}, L"[a][b]"},
        {L"<table><tr><td>open", {{0, 0, 1, 1}}, L"[open]"},
    };
    for (const Case &c : cases)
    {
        MeasureAndDraw(c.markup);
        EXPECT_EQ(Cells(0), c.cells) << testing::PrintToString(std::wstring(c.markup));
        EXPECT_EQ(m_recorder.Joined(), c.drawn);
    }

    MeasureAndDraw(cases[0].markup);
    EXPECT_EQ(Box(0, 1, 0).rect.left, Box(0, 0, 0).rect.left) << "the span covers both columns";
    EXPECT_EQ(Box(0, 1, 0).rect.right, Box(0, 0, 1).rect.right);
    EXPECT_GT(Box(0, 1, 2).rect.left, Box(0, 0, 1).rect.right) << "the next cell starts a third column";
    MeasureAndDraw(cases[2].markup);
    EXPECT_EQ(Box(0, 0, 0).rect.Height(), 120) << "the rows it spans make its height";
    EXPECT_EQ(Box(0, 1, 1).rect.bottom, Box(0, 0, 0).rect.bottom);
}

TEST_F(MarkupTable, BordersAndTheWidthFormula)
{
    const struct
    {
        LPCWSTR attributes;
        int style;
        int border; // pixels a side
        int cellBorder;
        int spacing;
    } cases[] = {
        {L"border=0 borderstyle=solid", PPBS_NONE, 0, 0, 0},
        {L"borderstyle=dotted", PPBS_DOTTED, 1, 1, 0},
        {L"border=3", PPBS_SOLID, 3, 1, 0},
        {L"border=1 borderstyle=double cellspacing=2", PPBS_DOUBLE, 3, 3, 2},
    };
    for (const auto &c : cases)
    {
        MeasureAndDraw(CString(L"<table ") + c.attributes + L"><tr><td>ab</td><td>c</td></tr></table>", 10, 10);
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.attributes)));
        const PPHtmlBox &table = Box(0);
        EXPECT_EQ(table.nBorderStyle, c.style);
        EXPECT_EQ(table.nBorder, c.border);
        EXPECT_EQ(Box(0, 0, 0).nBorder, c.cellBorder);
        const std::vector<int> &columns = Grid(0).columns;
        ASSERT_EQ(columns.size(), 2u);
        EXPECT_EQ(table.rect.Width(),
                  std::accumulate(columns.begin(), columns.end(), 0) + 3 * c.spacing + 1 + 2 * c.border);
        EXPECT_EQ(Box(0, 0, 0).rect.left, table.rect.left + c.border + c.spacing);
    }
}

TEST_F(MarkupTable, FreeWidthIsSharedOverTheColumnsWithoutAWidth)
{
    MeasureAndDraw(L"<table><tr><td width=60>a</td><td>bb</td><td>c</td></tr></table>");
    const PPHtmlTableGrid natural = Grid(0);
    MeasureAndDraw(L"<table width=300><tr><td width=60>a</td><td>bb</td><td>c</td></tr></table>");
    const PPHtmlTableGrid &stretched = Grid(0);
    EXPECT_EQ(stretched.size.cx, 300);
    EXPECT_EQ(stretched.columns[0], 60);
    const int first = stretched.columns[1] - natural.columns[1];
    const int second = stretched.columns[2] - natural.columns[2];
    EXPECT_EQ(first + second, 300 - natural.size.cx);
    EXPECT_LE(std::abs(first - second), 1);

    MeasureAndDraw(L"<table><tr><td>a</td></tr></table>");
    const int plain = Grid(0).size.cx;
    MeasureAndDraw(L"<table width=50%><tr><td>a</td></tr></table>");
    EXPECT_EQ(Grid(0).size.cx, plain) << "a percentage counts only against a maximum width";
    m_drawer.SetMaxWidth(400);
    MeasureAndDraw(L"<table width=50%><tr><td>a</td></tr></table>");
    EXPECT_EQ(Grid(0).size.cx, 200);
}

TEST_F(MarkupTable, ADrawWithoutAMeasureSkipsTheTable)
{
    MeasureAndDraw(L"<table border=1><tr><td>a</td></tr></table>");
    ASSERT_FALSE(m_recorder.boxes.empty());
    m_drawer.SetExtension(std::make_unique<CPPHtmlExtension>());
    m_recorder.Clear();
    m_drawer.Draw(m_canvas.GetDC(), &m_drawn);
    EXPECT_TRUE(m_recorder.boxes.empty());
    EXPECT_TRUE(m_recorder.texts.empty());
}
