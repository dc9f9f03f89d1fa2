// Where the layout helper puts a control for each kind of anchoring, as a pure function of the two client
// rectangles.
#include <gtest/gtest.h>

#include "platform/text/Geometry.h"
#include "setup/layout/DialogLayout.h"

static void PrintTo(const CRect &r, std::ostream *out)
{
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

TEST(DialogLayout, EachAnchoringFollowsItsEdges)
{
    const RECT control = {20, 30, 120, 80};
    const RECT before = {0, 0, 400, 300};
    struct Case
    {
        DWORD flags;
        RECT after;
        RECT expected;
    } cases[] = {
        {0, {0, 0, 500, 300}, {70, 30, 170, 80}},                  // centred: 100 wider moves 50
        {0, {0, 0, 401, 300}, {20, 30, 120, 80}},                  // 400/2 and 401/2 are both 200
        {0, {0, 0, 403, 297}, {21, 28, 121, 78}},                  // odd changes, each half truncated
        {15, {0, 0, 450, 360}, {20, 30, 170, 140}},                // all four edges: stretch both ways
        {7, {0, 0, 450, 360}, {20, 30, 170, 80}},                  // stretch horizontally at the top
        {13, {0, 0, 450, 360}, {70, 30, 170, 140}},                // follow the right edge, stretch vertically
        {10, {0, 0, 450, 360}, {20, 90, 120, 140}},                // follow the bottom edge at the left
        {12, {0, 0, 450, 360}, {70, 90, 170, 140}},                // follow the bottom-right corner
        {15, {0, 0, 350, 250}, {20, 30, 70, 30}},                  // shrinking too
        {3 | 0x400 | 0x800, {0, 0, 450, 360}, {20, 30, 450, 360}}, // snapped to the right and bottom edges
        {12 | 0x100 | 0x200, {0, 0, 450, 360}, {0, 0, 170, 140}},  // snapped to the top and left edges
    };
    for (const Case &c : cases)
        EXPECT_EQ(CRect(LayoutControlRect(control, c.flags, before, c.after)), CRect(c.expected))
            << "flags " << c.flags;
    // No change, no move.
    for (DWORD flags : {0u, 7u, 10u, 12u, 13u, 15u})
        EXPECT_EQ(CRect(LayoutControlRect(control, flags, before, before)), CRect(control)) << "flags " << flags;
}
