// The splitter's geometry: shares from sizes, positions with the minimum pane size, and dragging a bar.
#include "ui/controls/SplitterLayout.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace
{

std::vector<int> V(std::initializer_list<int> values)
{
    return std::vector<int>(values);
}

int PaneSize(const CSplitterLayout &layout, int index)
{
    int start = 0;
    int end = 0;
    EXPECT_TRUE(layout.PaneSpan(index, start, end));
    return end - start;
}

} // namespace

TEST(SplitterLayout, NewLayoutSplitsEvenlyWithTheRestInTheLastPane)
{
    EXPECT_EQ(CSplitterLayout(2, 30, 3).Shares(), V({16384, 16384}));
    EXPECT_EQ(CSplitterLayout(3, 30, 3).Shares(), V({10923, 10923, 10922}));
    EXPECT_EQ(CSplitterLayout(1, 30, 3).Shares(), V({32768}));
}

TEST(SplitterLayout, TwoPanesOfAThreeHundredPixelRow)
{
    CSplitterLayout layout(2, 30, 3);
    const int sizes[] = {100, 197};
    ASSERT_TRUE(layout.SetSizes(sizes, 2));
    EXPECT_EQ(layout.Shares(), V({11033, 21735}));
    ASSERT_TRUE(layout.Recompute(300));
    EXPECT_EQ(layout.Positions(), V({0, 103, 303}));

    int start = 0;
    int end = 0;
    ASSERT_TRUE(layout.PaneSpan(0, start, end));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 100);
    ASSERT_TRUE(layout.PaneSpan(1, start, end));
    EXPECT_EQ(start, 103);
    EXPECT_EQ(end, 300);
    EXPECT_FALSE(layout.PaneSpan(2, start, end));
    EXPECT_FALSE(layout.PaneSpan(-1, start, end));

    // Shares persist: a wider row keeps the proportion.
    ASSERT_TRUE(layout.Recompute(597));
    EXPECT_EQ(layout.Positions(), V({0, 203, 600}));
}

TEST(SplitterLayout, PaneBelowTheMinimumIsRaisedAndTheOthersShrinkInProportion)
{
    CSplitterLayout layout(3, 30, 3);
    const int sizes[] = {10, 145, 145};
    ASSERT_TRUE(layout.SetSizes(sizes, 3));
    ASSERT_TRUE(layout.Recompute(306));
    EXPECT_EQ(PaneSize(layout, 0), 30);
    EXPECT_NEAR(PaneSize(layout, 1), 135, 1);
    EXPECT_NEAR(PaneSize(layout, 2), PaneSize(layout, 1), 1);
    EXPECT_EQ(layout.Positions().back(), 309);
    const std::vector<int> &shares = layout.Shares();
    EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0), 32768, 2);

    // A pane pushed under the minimum by another's raise is raised in turn.
    CSplitterLayout chain(3, 40, 0);
    const int chainSizes[] = {10, 42, 248};
    ASSERT_TRUE(chain.SetSizes(chainSizes, 3));
    ASSERT_TRUE(chain.Recompute(300));
    EXPECT_GE(PaneSize(chain, 0), 40);
    EXPECT_GE(PaneSize(chain, 1), 40);
    EXPECT_NEAR(PaneSize(chain, 0) + PaneSize(chain, 1) + PaneSize(chain, 2), 300, 2);
}

TEST(SplitterLayout, WhenNotAllPanesFitTheMinimumGoesToThemInOrder)
{
    // 100 pixels of room, 50 each wanted by three panes.
    CSplitterLayout layout(3, 50, 3);
    ASSERT_TRUE(layout.Recompute(106));
    EXPECT_EQ(layout.Shares(), V({16384, 16384, 0}));
    EXPECT_EQ(layout.Positions(), V({0, 53, 106, 109}));

    // A minimum beyond all the room: the first pane takes everything.
    CSplitterLayout huge(3, 200, 3);
    ASSERT_TRUE(huge.Recompute(106));
    EXPECT_EQ(huge.Shares(), V({32768, 0, 0}));

    // The bars take all the room: nothing to share out, and nothing divides by it.
    CSplitterLayout barsOnly(3, 10, 5);
    ASSERT_TRUE(barsOnly.Recompute(10));
    EXPECT_EQ(barsOnly.Shares(), V({0, 0, 0}));
    EXPECT_EQ(barsOnly.Positions(), V({0, 5, 10, 15}));
}

TEST(SplitterLayout, ZeroExtentChangesNoPosition)
{
    CSplitterLayout layout(2, 30, 3);
    const int sizes[] = {100, 197};
    ASSERT_TRUE(layout.SetSizes(sizes, 2));
    ASSERT_TRUE(layout.Recompute(300));
    EXPECT_FALSE(layout.Recompute(0));
    EXPECT_FALSE(layout.Recompute(-5));
    EXPECT_EQ(layout.Positions(), V({0, 103, 303}));
    EXPECT_EQ(layout.Shares(), V({11033, 21735}));
}

TEST(SplitterLayout, WideRowsDoNotOverflow)
{
    CSplitterLayout layout(2, 30, 3);
    ASSERT_TRUE(layout.Recompute(200003));
    EXPECT_EQ(layout.Positions(), V({0, 100003, 200006}));
}

TEST(SplitterLayout, SizesAddingUpToNothingLeaveTheShares)
{
    CSplitterLayout layout(2, 30, 3);
    const int zero[] = {0, 0};
    EXPECT_FALSE(layout.SetSizes(zero, 2));
    const int negative[] = {-50, 20};
    EXPECT_FALSE(layout.SetSizes(negative, 2));
    EXPECT_FALSE(layout.SetSizes(nullptr, 2));
    const int three[] = {1, 2, 3};
    EXPECT_FALSE(layout.SetSizes(three, 3));
    EXPECT_EQ(layout.Shares(), V({16384, 16384}));
}

TEST(SplitterLayout, OnlyAPressOnABarStartsADrag)
{
    CSplitterLayout layout(3, 30, 3);
    const int sizes[] = {100, 97, 100};
    ASSERT_TRUE(layout.SetSizes(sizes, 3));
    ASSERT_TRUE(layout.Recompute(303));
    ASSERT_EQ(layout.Positions(), V({0, 103, 203, 306}));

    EXPECT_EQ(layout.BarAt(100), 1);
    EXPECT_EQ(layout.BarAt(102), 1);
    EXPECT_EQ(layout.BarAt(200), 2);
    EXPECT_EQ(layout.BarAt(202), 2);
    // Panes, the last one among them, and points outside: no bar.
    EXPECT_EQ(layout.BarAt(0), 0);
    EXPECT_EQ(layout.BarAt(99), 0);
    EXPECT_EQ(layout.BarAt(103), 0);
    EXPECT_EQ(layout.BarAt(250), 0);
    EXPECT_EQ(layout.BarAt(305), 0);
    EXPECT_EQ(layout.BarAt(400), 0);
    EXPECT_EQ(layout.BarAt(-1), 0);

    CSplitterLayout single(1, 30, 3);
    ASSERT_TRUE(single.Recompute(300));
    EXPECT_EQ(single.BarAt(0), 0);
    EXPECT_EQ(single.BarAt(299), 0);
    EXPECT_EQ(single.BarAt(301), 0);
}

TEST(SplitterLayout, DraggedBarKeepsTheMinimumFromItsNeighbours)
{
    CSplitterLayout layout(3, 30, 3);
    const int sizes[] = {100, 97, 100};
    ASSERT_TRUE(layout.SetSizes(sizes, 3));
    ASSERT_TRUE(layout.Recompute(303));

    EXPECT_EQ(layout.ClampDrag(1, 150), 150);
    EXPECT_EQ(layout.ClampDrag(1, 5), 33);    // 0 + 30 + 3
    EXPECT_EQ(layout.ClampDrag(1, 190), 170); // 203 - 30 - 3
    EXPECT_EQ(layout.ClampDrag(2, 120), 136); // 103 + 30 + 3
    EXPECT_EQ(layout.ClampDrag(2, 300), 273); // 306 - 30 - 3

    // Neighbours too close for the minimum on both sides: the panes still keep a size of 0 or more.
    CSplitterLayout tight(2, 30, 3);
    ASSERT_TRUE(tight.Recompute(40));
    const int tracked = tight.ClampDrag(1, 38);
    EXPECT_GE(tracked - tight.Positions()[0] - 3, 0);
    EXPECT_GE(tight.Positions()[2] - tracked - 3, 0);
}

TEST(SplitterLayout, ReleaseGivesTheTwoPanesBesideTheBarNewShares)
{
    CSplitterLayout layout(2, 30, 3);
    const int sizes[] = {100, 197};
    ASSERT_TRUE(layout.SetSizes(sizes, 2));
    ASSERT_TRUE(layout.Recompute(300));

    ASSERT_TRUE(layout.Release(1, 150, 300));
    EXPECT_EQ(layout.Positions(), V({0, 150, 303}));
    EXPECT_EQ(layout.Shares(), V({16219, 16549}));
    EXPECT_EQ(PaneSize(layout, 0), 147);
    EXPECT_EQ(PaneSize(layout, 1), 150);

    // No bar, or a bar that does not exist: nothing changes.
    EXPECT_FALSE(layout.Release(0, 10, 300));
    EXPECT_FALSE(layout.Release(2, 10, 300));
    EXPECT_EQ(layout.Shares(), V({16219, 16549}));
}

TEST(SplitterLayout, ReleaseWhenTheBarsTakeAllTheRoomLeavesTheShares)
{
    CSplitterLayout layout(2, 30, 3);
    const int sizes[] = {100, 197};
    ASSERT_TRUE(layout.SetSizes(sizes, 2));
    ASSERT_TRUE(layout.Recompute(300));
    EXPECT_FALSE(layout.Release(1, 150, 3));
    EXPECT_FALSE(layout.Release(1, 150, 0));
    EXPECT_EQ(layout.Shares(), V({11033, 21735}));
    EXPECT_EQ(layout.Positions(), V({0, 103, 303}));
}

TEST(SplitterLayout, NegativeSettingsCountAsZero)
{
    CSplitterLayout layout(-2, -5, -3);
    EXPECT_EQ(layout.PaneCount(), 0);
    EXPECT_EQ(layout.MinimumPane(), 0);
    EXPECT_EQ(layout.BarWidth(), 0);
    EXPECT_FALSE(layout.Recompute(300));
    EXPECT_EQ(layout.BarAt(0), 0);
}
