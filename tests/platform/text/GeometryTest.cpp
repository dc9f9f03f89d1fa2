// CRect, CPoint and CSize arithmetic as the layout code uses it.
#include "platform/text/Geometry.h"

#include <gtest/gtest.h>

TEST(CRect, CornersHitTestAndEmptiness)
{
    CRect r(10, 20, 110, 70);
    EXPECT_EQ(r.Size(), CSize(100, 50));
    EXPECT_EQ(r.CenterPoint(), CPoint(60, 45));
    r.TopLeft() = CPoint(0, 0);
    EXPECT_EQ(r, CRect(0, 0, 110, 70));
    // Left and top edges are inside, right and bottom outside.
    EXPECT_TRUE(r.PtInRect(CPoint(0, 0)));
    EXPECT_FALSE(r.PtInRect(CPoint(110, 10)));
    EXPECT_FALSE(r.PtInRect(CPoint(10, 70)));
    EXPECT_TRUE(CRect(9, 5, 5, 9).IsRectEmpty());
    EXPECT_FALSE(CRect(5, 5, 5, 9).IsRectNull());
    EXPECT_TRUE(CRect(static_cast<const RECT *>(nullptr)).IsRectNull());

    // Usable where the Win32 functions take a RECT pointer.
    RECT plain = {1, 2, 3, 4};
    CRect copy(plain);
    ::OffsetRect(copy, 1, 1);
    EXPECT_EQ(copy, CRect(2, 3, 4, 5));
}

TEST(CRect, MoveInflateNormalize)
{
    CRect r(0, 0, 10, 20);
    r.MoveToXY(100, 200);
    EXPECT_EQ(r, CRect(100, 200, 110, 220));
    r.MoveToX(0);
    r.MoveToY(0);
    r.InflateRect(2, 3);
    EXPECT_EQ(r, CRect(-2, -3, 12, 23));
    r.DeflateRect(2, 3);
    r.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(r, CRect(1, 2, 7, 16));
    r += CPoint(1, 1);
    r -= CSize(0, 2);
    EXPECT_EQ(r, CRect(2, 1, 8, 15));
    CRect border(1, 1, 1, 1);
    r += &border;
    EXPECT_EQ(r, CRect(1, 0, 9, 16));

    CRect flipped(10, 10, 0, 0);
    flipped.NormalizeRect();
    EXPECT_EQ(flipped, CRect(0, 0, 10, 10));
}

TEST(CRect, IntersectAndUnion)
{
    CRect a(0, 0, 10, 10), b(5, 5, 20, 20), distant(30, 30, 40, 40);
    CRect r;
    EXPECT_FALSE(r.IntersectRect(a, distant));
    EXPECT_TRUE(r.IsRectNull());
    EXPECT_EQ(a & b, CRect(5, 5, 10, 10));
    EXPECT_EQ(a | b, CRect(0, 0, 20, 20));
    // An empty rectangle takes no part in a union.
    EXPECT_EQ(a | CRect(100, 100, 100, 100), a);
    CRect c = a;
    c &= b;
    c |= distant;
    EXPECT_EQ(c, CRect(5, 5, 40, 40));
    EXPECT_FALSE(r.IntersectRect(nullptr, a));
}

TEST(CPointCSize, Arithmetic)
{
    CPoint p(3, 4);
    p += CSize(1, 1);
    EXPECT_EQ(p - CPoint(1, 2), CSize(3, 3));
    EXPECT_EQ(p + CSize(1, 1), CPoint(5, 6));
    // Mouse positions are signed words (a second screen left of the first gives negative x).
    EXPECT_EQ(CPoint(static_cast<LPARAM>(MAKELONG(static_cast<WORD>(-5), 12))), CPoint(-5, 12));
    EXPECT_EQ(CRect(CPoint(1, 1), CSize(2, 3)), CRect(1, 1, 3, 4));
}
