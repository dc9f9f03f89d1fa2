// Where the tooltip goes, as pure functions of the point, the text size, the direction, the sizes and the
// virtual screen: fitting, flipping and centring, the anchor and its clamps, and the regions of the tip and its
// shade.
#include <gtest/gtest.h>

#include <ostream>

#include "platform/system/Handles.h"
#include "ui/tooltip/PPToolTipPlacement.h"

inline void PrintTo(const CRect &rect, std::ostream *os)
{
    *os << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << ")";
}
inline void PrintTo(const CPoint &point, std::ostream *os)
{
    *os << "(" << point.x << ", " << point.y << ")";
}

namespace
{

PPToolTipSizes Balloon()
{
    PPToolTipSizes sizes;
    sizes.nCornerWidth = 16;
    sizes.nCornerHeight = 16;
    sizes.nMarginH = 12;
    sizes.nMarginV = 12;
    sizes.nAnchorWidth = 12;
    sizes.nAnchorHeight = 16;
    sizes.nAnchorMargin = 16;
    return sizes;
}

PPToolTipSizes Plain()
{
    PPToolTipSizes sizes;
    sizes.nMarginH = 3;
    sizes.nMarginV = 1;
    return sizes;
}

} // namespace

TEST(ToolTipPlacement, SidesAlignmentsFlipsAndClamps)
{
    // A text of 100 x 40 in the balloon: a body of 124 x 64, 124 x 80 with an anchor above or below it and 140 x 64
    // with one beside it.
    const CSize text(100, 40);
    const CRect screen(0, 0, 800, 600);
    const struct
    {
        const char *name;
        CPoint point;
        UINT direction;
        CRect screen;
        UINT placed;
        CPoint anchor;
        CRect window;
    } cases[] = {
        {"below, at the start", {300, 300}, 0x00, screen, 0x00, {16, 0}, {284, 300, 408, 380}},
        {"below, at the end", {300, 300}, 0x01, screen, 0x01, {108, 0}, {192, 300, 316, 380}},
        {"below, centred", {300, 300}, 0x02, screen, 0x02, {62, 0}, {238, 300, 362, 380}},
        {"above, at the start", {300, 300}, 0x10, screen, 0x10, {16, 80}, {284, 220, 408, 300}},
        {"above, at the end", {300, 300}, 0x11, screen, 0x11, {108, 80}, {192, 220, 316, 300}},
        {"above, centred", {300, 300}, 0x12, screen, 0x12, {62, 80}, {238, 220, 362, 300}},
        {"right, at the top", {300, 300}, 0x20, screen, 0x20, {0, 16}, {300, 284, 440, 348}},
        {"right, at the bottom", {300, 300}, 0x21, screen, 0x21, {0, 48}, {300, 252, 440, 316}},
        {"right, centred", {300, 300}, 0x22, screen, 0x22, {0, 32}, {300, 268, 440, 332}},
        {"left, at the top", {300, 300}, 0x30, screen, 0x30, {140, 16}, {160, 284, 300, 348}},
        {"left, at the bottom", {300, 300}, 0x31, screen, 0x31, {140, 48}, {160, 252, 300, 316}},
        {"left, centred", {300, 300}, 0x32, screen, 0x32, {140, 32}, {160, 268, 300, 332}},
        {"the right edge flips the alignment", {750, 300}, 0x10, screen, 0x11, {108, 80}, {642, 220, 766, 300}},
        {"no room either side: centred", {100, 300}, 0x10, {0, 0, 200, 600}, 0x12, {62, 80}, {38, 220, 162, 300}},
        {"centred, kept on the screen", {100, 300}, 0x10, {0, 0, 150, 600}, 0x12, {74, 80}, {26, 220, 150, 300}},
        {"below leaving the bottom goes above", {300, 550}, 0x00, screen, 0x10, {16, 80}, {284, 470, 408, 550}},
        {"above leaving the top goes below", {300, 50}, 0x10, screen, 0x00, {16, 0}, {284, 50, 408, 130}},
        {"right leaving the right goes left", {700, 300}, 0x20, screen, 0x30, {140, 16}, {560, 284, 700, 348}},
        {"left leaving the left goes right", {100, 300}, 0x30, screen, 0x20, {0, 16}, {100, 284, 240, 348}},
        {"the start clamped to the left edge", {5, 300}, 0x10, screen, 0x10, {5, 80}, {0, 220, 124, 300}},
        {"the end clamped to the right edge", {795, 300}, 0x11, screen, 0x11, {119, 80}, {676, 220, 800, 300}},
        {"near the left edge the centre goes to the start",
         {10, 300},
         0x12,
         screen,
         0x10,
         {10, 80},
         {0, 220, 124, 300}},
        {"a screen that does not start at 0",
         {-500, -50},
         0x10,
         {-1024, -100, 0, 668},
         0x00,
         {16, 0},
         {-516, -50, -392, 30}},
        {"an invalid code: no anchor, no fitting", {790, 590}, 0x05, screen, 0x05, {0, 0}, {790, 590, 914, 654}},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        const PPToolTipPlacement placement = PlaceToolTip(c.point, text, c.direction, Balloon(), c.screen);
        EXPECT_EQ(placement.nDirection, c.placed);
        EXPECT_EQ(placement.ptAnchor, c.anchor);
        EXPECT_EQ(placement.rcWindow, c.window);
        // The body and the text move out of the anchor's way below and right of the point.
        const UINT side = IsValidDirection(c.placed) ? c.placed & 0xF0 : SIDE_ABOVE;
        const CPoint shift(side == SIDE_RIGHT ? 16 : 0, side == SIDE_BELOW ? 16 : 0);
        EXPECT_EQ(placement.rcContent, CRect(shift.x, shift.y, shift.x + 124, shift.y + 64));
        EXPECT_EQ(placement.rcText, CRect(shift.x + 12, shift.y + 12, shift.x + 112, shift.y + 52));
    }
    // A plain tip is its content.
    const PPToolTipPlacement plain = PlaceToolTip(CPoint(300, 300), text, 0x10, Plain(), screen);
    EXPECT_EQ(plain.rcWindow, CRect(300, 258, 406, 300));
    EXPECT_EQ(plain.rcText, CRect(3, 1, 103, 41));
}

TEST(ToolTipPlacement, RegionsOfTheTipAndItsShade)
{
    const CSize window(124, 80);
    const struct
    {
        const char *name;
        PPToolTipSizes sizes;
        UINT direction;
        CPoint anchor;
        std::vector<CPoint> inside;
        std::vector<CPoint> outside;
    } cases[] = {
        {"plain", Plain(), 0x10, {0, 0}, {{0, 0}, {123, 0}, {0, 79}, {123, 79}}, {{124, 40}, {60, 80}, {-1, 0}}},
        {"balloon below, anchor at the start",
         Balloon(),
         0x00,
         {16, 0},
         {{16, 1}, {18, 10}, {62, 40}, {8, 20}, {123, 48}},
         {{40, 4}, {0, 16}, {123, 79}, {14, 10}}},
        {"balloon above, anchor at the end", Balloon(), 0x11, {108, 80}, {{107, 78}, {62, 40}}, {{40, 76}, {0, 0}}},
        {"balloon left, centred", Balloon(), 0x32, {124, 40}, {{122, 40}, {50, 40}}, {{122, 10}, {123, 70}}},
        {"an invalid code has no anchor", Balloon(), 0x05, {0, 0}, {{62, 40}, {8, 8}}, {{0, 0}, {123, 79}}},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        CGdiObjectOwner<HRGN> region(CreateTipRegion(window, c.anchor, c.direction, c.sizes));
        ASSERT_TRUE(region.IsValid());
        for (const CPoint &point : c.inside)
            EXPECT_TRUE(PtInRegion(region.Get(), point.x, point.y)) << point.x << ", " << point.y;
        for (const CPoint &point : c.outside)
            EXPECT_FALSE(PtInRegion(region.Get(), point.x, point.y)) << point.x << ", " << point.y;
    }

    // The shade adds the tip moved by the offsets, and the window grows by them.
    CGdiObjectOwner<HRGN> tip(CreateTipRegion(window, CPoint(0, 0), 0x10, Plain()));
    CGdiObjectOwner<HRGN> shaded(CreateShadedRegion(tip.Get(), 6, 6));
    EXPECT_TRUE(PtInRegion(shaded.Get(), 129, 85));
    EXPECT_TRUE(PtInRegion(shaded.Get(), 0, 0));
    EXPECT_FALSE(PtInRegion(shaded.Get(), 129, 2));
    EXPECT_EQ(ShadedWindowSize(window, 6, 6), CSize(130, 86));
    CGdiObjectOwner<HRGN> unshaded(CreateShadedRegion(tip.Get(), 0, 0));
    EXPECT_TRUE(EqualRgn(unshaded.Get(), tip.Get()));
}
