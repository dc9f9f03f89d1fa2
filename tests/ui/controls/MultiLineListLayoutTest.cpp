// The multi-line list's cells, cached row heights, measuring and scrolling, without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/MultiLineListLayout.h"

using mllist::CMultilineListModel;

namespace
{

// A measure that counts its calls: a cell is 10 pixels per line plus 5, or the number its text spells.
struct CountingMeasure
{
    int calls = 0;
    CMultilineListModel::CellMeasure Get()
    {
        return [this](const CString &text, int) {
            ++calls;
            int number = _wtoi(text.GetString());
            if (number > 0)
                return number;
            int lines = 1;
            for (int i = 0; i < text.GetLength(); ++i)
                lines += text[i] == L'\n' ? 1 : 0;
            return 10 * lines + 5;
        };
    }
};

// One column of rows with the given heights.
CMultilineListModel RowsOf(const std::vector<int> &heights)
{
    CMultilineListModel model;
    model.SetSize(1, static_cast<int>(heights.size()));
    for (size_t row = 0; row < heights.size(); ++row)
        model.SetItemText(0, static_cast<int>(row), CString(std::to_wstring(heights[row]).c_str()));
    CountingMeasure measure;
    model.Layout(measure.Get());
    return model;
}

// A memory DC with the default GUI font, as the list measures with.
class MeasuringDC
{
  public:
    MeasuringDC() : m_dc(::CreateCompatibleDC(nullptr))
    {
        m_old = ::SelectObject(m_dc, ::GetStockObject(DEFAULT_GUI_FONT));
    }
    ~MeasuringDC()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    MeasuringDC(const MeasuringDC &) = delete;
    MeasuringDC &operator=(const MeasuringDC &) = delete;
    operator HDC() const
    {
        return m_dc;
    }

    int LineHeight() const
    {
        RECT rect = {0, 0, 1000, 0};
        ::DrawTextW(m_dc, L"Xy", -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return rect.bottom;
    }
    int Extent(LPCWSTR text) const
    {
        SIZE size = {};
        ::GetTextExtentPoint32W(m_dc, text, lstrlenW(text), &size);
        return size.cx;
    }

  private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace

// --- Measuring ---

TEST(MultiLineListMeasure, EmptyCellIsOneLinePlusFive)
{
    MeasuringDC dc;
    ASSERT_GT(dc.LineHeight(), 0);
    EXPECT_EQ(mllist::MeasureCellHeight(dc, L" ", 100), dc.LineHeight() + 5);
    EXPECT_EQ(mllist::MeasureCellHeight(dc, L"", 100), dc.LineHeight() + 5);
}

TEST(MultiLineListMeasure, SemicolonBreaksOnlyTextsAsWideAsTheirArea)
{
    MeasuringDC dc;
    const int line = dc.LineHeight();
    const int extent = dc.Extent(L"alpha;beta");
    // Exactly as wide as the text area (width - 4): one line feed after the ';'.
    EXPECT_EQ(mllist::MeasureCellHeight(dc, L"alpha;beta", extent + 4), 2 * line + 5);
    // One pixel wider: the text fits and is measured as it is.
    EXPECT_EQ(mllist::MeasureCellHeight(dc, L"alpha;beta", extent + 5), line + 5);
    // Without ';' the same width keeps one line.
    EXPECT_EQ(mllist::MeasureCellHeight(dc, L"alpha,beta", dc.Extent(L"alpha,beta") + 4), line + 5);
}

TEST(MultiLineListMeasure, LayoutTextBreaksOnceAfterTheLastSemicolon)
{
    EXPECT_STREQ(mllist::LayoutText(L"a;b;c", 50, 20), L"a;b;\nc");
    EXPECT_STREQ(mllist::LayoutText(L"a;b;c", 15, 20), L"a;b;c");   // narrower than the area
    EXPECT_STREQ(mllist::LayoutText(L"a;b\nc", 50, 20), L"a;b\nc"); // has its own line feed
    EXPECT_STREQ(mllist::LayoutText(L"abc", 50, 20), L"abc");
    EXPECT_STREQ(mllist::LayoutText(L"abc;", 50, 20), L"abc;\n");
}

TEST(MultiLineListMeasure, ColumnsNarrowerThanTheirMarginsStillMeasure)
{
    MeasuringDC dc;
    EXPECT_GE(mllist::MeasureCellHeight(dc, L"some words here", 0), dc.LineHeight() + 5);
    EXPECT_GE(mllist::MeasureCellHeight(dc, L"some words here", 3), dc.LineHeight() + 5);
}

// --- Cells and the height cache ---

TEST(MultiLineListModel, UnsetCellsReadOneSpaceAndSettingThemChangesNothing)
{
    CMultilineListModel model;
    model.SetSize(2, 3);
    EXPECT_STREQ(model.GetItemText(1, 2), L" ");
    EXPECT_FALSE(model.SetItemText(1, 2, L" "));
    EXPECT_TRUE(model.SetItemText(1, 2, L"x"));
    EXPECT_FALSE(model.SetItemText(1, 2, L"x"));
    EXPECT_FALSE(model.SetItemText(-1, 0, L"y"));
    EXPECT_FALSE(model.SetItemText(0, -1, L"y"));
    EXPECT_EQ(model.GetColumnWidth(0), 100);
}

TEST(MultiLineListModel, LayoutMeasuresOnlyRowsWithoutAStoredHeight)
{
    CMultilineListModel model;
    CountingMeasure measure;
    model.SetSize(2, 3);
    model.Layout(measure.Get());
    EXPECT_EQ(measure.calls, 6);
    EXPECT_EQ(model.GetRowHeight(0), 15);
    EXPECT_EQ(model.GetContentHeight(), 45);

    // A changed text drops its own row only.
    measure.calls = 0;
    EXPECT_TRUE(model.SetItemText(1, 1, L"one\ntwo"));
    EXPECT_TRUE(model.IsRowMeasured(0));
    EXPECT_FALSE(model.IsRowMeasured(1));
    model.Layout(measure.Get());
    EXPECT_EQ(measure.calls, 2);
    EXPECT_EQ(model.GetRowHeight(1), 25);

    // The same text again, or the width a column already has: nothing to measure.
    measure.calls = 0;
    EXPECT_FALSE(model.SetItemText(1, 1, L"one\ntwo"));
    EXPECT_FALSE(model.SetColumnWidth(0, 100));
    model.Layout(measure.Get());
    EXPECT_EQ(measure.calls, 0);

    // A new width drops every row.
    EXPECT_TRUE(model.SetColumnWidth(0, 60));
    model.Layout(measure.Get());
    EXPECT_EQ(measure.calls, 6);
    EXPECT_EQ(model.GetContentWidth(), 160);
}

TEST(MultiLineListModel, SetSizeTrimsCellsWidthsAndHeights)
{
    CMultilineListModel model;
    CountingMeasure measure;
    EXPECT_TRUE(model.SetSize(3, 4));
    EXPECT_FALSE(model.SetSize(3, 4));
    model.SetItemText(0, 3, L"last row");
    model.SetItemText(2, 0, L"last column");
    model.SetColumnWidth(2, 40);
    model.Layout(measure.Get());

    // Fewer rows: only the rows that went lose cells and heights.
    measure.calls = 0;
    EXPECT_TRUE(model.SetSize(3, 2));
    EXPECT_TRUE(model.IsRowMeasured(0));
    EXPECT_TRUE(model.IsRowMeasured(1));
    model.Layout(measure.Get());
    EXPECT_EQ(measure.calls, 0);
    model.SetSize(3, 4);
    EXPECT_STREQ(model.GetItemText(0, 3), L" ");

    // Fewer columns: cells and widths of the columns that went, and every height.
    model.Layout(measure.Get());
    EXPECT_TRUE(model.SetSize(2, 4));
    EXPECT_FALSE(model.IsRowMeasured(0));
    EXPECT_FALSE(model.IsRowMeasured(3));
    model.SetSize(3, 4);
    EXPECT_STREQ(model.GetItemText(2, 0), L" ");
    EXPECT_EQ(model.GetColumnWidth(2), 100);
}

TEST(MultiLineListModel, MoreColumnsRemeasureRowsMeasuredWithout)
{
    CMultilineListModel model;
    CountingMeasure measure;
    model.SetSize(0, 2);
    model.Layout(measure.Get());
    EXPECT_EQ(model.GetRowHeight(0), 0);
    EXPECT_EQ(measure.calls, 0);

    model.SetSize(2, 2);
    model.Layout(measure.Get());
    EXPECT_EQ(model.GetRowHeight(0), 15);
    EXPECT_EQ(model.GetContentHeight(), 30);
}

TEST(MultiLineListModel, NegativeSizesCountAsZero)
{
    CMultilineListModel model;
    EXPECT_FALSE(model.SetSize(-2, -5));
    EXPECT_EQ(model.GetColumnCount(), 0);
    EXPECT_EQ(model.GetRowCount(), 0);
    EXPECT_TRUE(model.SetSize(1, 1));
    EXPECT_TRUE(model.SetColumnWidth(0, -30));
    EXPECT_EQ(model.GetColumnWidth(0), 0);
    EXPECT_FALSE(model.SetColumnWidth(-1, 30));
    EXPECT_EQ(model.GetContentWidth(), 0);
}

// --- Hit-testing ---

TEST(MultiLineListHit, RowsByContentPositionAndNothingBelowTheLast)
{
    CMultilineListModel model = RowsOf({20, 30, 40, 50});
    EXPECT_EQ(model.GetContentHeight(), 140);
    EXPECT_EQ(model.RowAt(0), 0);
    EXPECT_EQ(model.RowAt(19), 0);
    EXPECT_EQ(model.RowAt(20), 1);
    EXPECT_EQ(model.RowAt(139), 3);
    EXPECT_EQ(model.RowAt(140), -1);
    EXPECT_EQ(model.RowAt(-1), -1);
    EXPECT_EQ(CMultilineListModel().RowAt(0), -1);
}

// --- Scrolling ---

TEST(MultiLineListScroll, LineStepsByTheTopRow)
{
    CMultilineListModel model = RowsOf({20, 30, 40, 50});
    const int page = 60;
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEDOWN, 0, 0, page), 20);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEDOWN, 0, 20, page), 50);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEDOWN, 0, 50, page), 90);
    // From row 3 on the rest (50) fits the page: no further step.
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEDOWN, 0, 90, page), 90);
    // Inside row 1: down by row 1, up by row 0.
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEDOWN, 0, 35, page), 65);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEUP, 0, 35, page), 15);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEUP, 0, 90, page), 50);
    // Up from the top subtracts row 0 and stops at 0.
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEUP, 0, 0, page), 0);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_LINEUP, 0, 5, page), 0);
}

TEST(MultiLineListScroll, PageDownTakesTheRemainderAtTheEnd)
{
    CMultilineListModel model = RowsOf({20, 30, 40, 50});
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEDOWN, 0, 0, 60), 60);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEDOWN, 0, 60, 60), 80);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEDOWN, 0, 80, 60), 80);
    // A view left past the end by line steps is not pulled back by "page down".
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEDOWN, 0, 90, 60), 90);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEUP, 0, 80, 60), 20);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_PAGEUP, 0, 20, 60), 0);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_THUMBTRACK, 77, 0, 60), 77);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_THUMBPOSITION, 12, 0, 60), 12);
    EXPECT_EQ(mllist::ScrollVertically(model, SB_ENDSCROLL, 0, 33, 60), 33);
}

TEST(MultiLineListScroll, WheelMovesOneRowWhateverTheDelta)
{
    CMultilineListModel model = RowsOf({20, 30, 40, 50});
    EXPECT_EQ(mllist::ScrollByWheel(model, -120, 0, 60), 20);
    EXPECT_EQ(mllist::ScrollByWheel(model, -1200, 0, 60), 20);
    EXPECT_EQ(mllist::ScrollByWheel(model, -1, 20, 60), 50);
    EXPECT_EQ(mllist::ScrollByWheel(model, 120, 50, 60), 20);
    EXPECT_EQ(mllist::ScrollByWheel(model, 0, 50, 60), 20);
    EXPECT_EQ(mllist::ScrollByWheel(model, 960, 10, 60), 0);
}

TEST(MultiLineListScroll, NoRowAtThePositionChangesNothing)
{
    CMultilineListModel empty;
    CMultilineListModel noColumns;
    noColumns.SetSize(0, 5);
    CountingMeasure measure;
    noColumns.Layout(measure.Get());
    CMultilineListModel shrunk = RowsOf({20, 30});
    for (const CMultilineListModel *model : {&empty, &noColumns})
    {
        for (UINT code : {SB_LINEDOWN, SB_LINEUP, SB_PAGEDOWN, SB_PAGEUP})
            EXPECT_EQ(mllist::ScrollVertically(*model, code, 0, 0, 60), 0) << code;
        EXPECT_EQ(mllist::ScrollByWheel(*model, -120, 0, 60), 0);
        EXPECT_EQ(mllist::ScrollByWheel(*model, 120, 0, 60), 0);
        EXPECT_EQ(mllist::ScrollHorizontally(*model, SB_LINERIGHT, 0, 0, 60), 0);
        EXPECT_EQ(mllist::ScrollHorizontally(*model, SB_PAGERIGHT, 0, 0, 60), 0);
    }
    // A position past the last row (the rows went after it was set).
    for (UINT code : {SB_LINEDOWN, SB_LINEUP, SB_PAGEDOWN})
        EXPECT_EQ(mllist::ScrollVertically(shrunk, code, 0, 300, 60), 300) << code;
    EXPECT_EQ(mllist::ScrollByWheel(shrunk, -120, 300, 60), 300);
    EXPECT_EQ(mllist::ScrollByWheel(shrunk, 120, 300, 60), 300);
    // Negative page sizes count as 0.
    EXPECT_EQ(mllist::ScrollVertically(shrunk, SB_PAGEDOWN, 0, 0, -10), 0);
}

TEST(MultiLineListScroll, HorizontalStepsOf25AndPages)
{
    CMultilineListModel model;
    model.SetSize(3, 1);
    EXPECT_EQ(model.GetContentWidth(), 300);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_LINERIGHT, 0, 0, 120), 25);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_LINERIGHT, 0, 179, 120), 204);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_LINERIGHT, 0, 180, 120), 180);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_LINELEFT, 0, 10, 120), 0);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_PAGERIGHT, 0, 0, 120), 120);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_PAGERIGHT, 0, 120, 120), 180);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_PAGELEFT, 0, 100, 120), 0);
    EXPECT_EQ(mllist::ScrollHorizontally(model, SB_THUMBTRACK, 42, 0, 120), 42);
}

TEST(MultiLineListScroll, BringingARowIntoView)
{
    CMultilineListModel model = RowsOf({20, 30, 40, 50});
    // In view already.
    EXPECT_EQ(mllist::PositionShowingRow(model, 1, 0, 60), 0);
    // Below the view: its bottom at the view's bottom, or its top at the view's top when taller.
    EXPECT_EQ(mllist::PositionShowingRow(model, 3, 0, 60), 80);
    EXPECT_EQ(mllist::PositionShowingRow(model, 3, 0, 30), 90);
    // Above the view: its top at the view's top.
    EXPECT_EQ(mllist::PositionShowingRow(model, 0, 80, 60), 0);
    EXPECT_EQ(mllist::PositionShowingRow(model, 2, 60, 60), 50);
    EXPECT_EQ(mllist::PositionShowingRow(model, 9, 60, 60), 60);
}

TEST(MultiLineListGeometry, DataRectLeavesOutVisibleBarsAndIsNeverNegative)
{
    CRect client(0, 0, 200, 100);
    EXPECT_EQ(mllist::DataRect(client, false, false, 17, 17), CRect(0, 0, 200, 100));
    EXPECT_EQ(mllist::DataRect(client, true, true, 17, 17), CRect(0, 0, 183, 83));
    EXPECT_EQ(mllist::DataRect(CRect(0, 0, 10, 5), true, true, 17, 17), CRect(0, 0, 0, 0));
    EXPECT_EQ(mllist::HorizontalBarRect(client, true, 17, 17), CRect(0, 83, 183, 100));
    EXPECT_EQ(mllist::HorizontalBarRect(client, false, 17, 17), CRect(0, 83, 200, 100));
    EXPECT_EQ(mllist::VerticalBarRect(client, 17), CRect(183, 0, 200, 100));
}
