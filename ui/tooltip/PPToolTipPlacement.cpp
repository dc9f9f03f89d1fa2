#include "ui/tooltip/PPToolTipPlacement.h"

#include <cstdlib>

namespace
{

enum : int
{
    ALIGN_START = 0,
    ALIGN_END = 1,
    ALIGN_CENTRE = 2,
};

bool IsVertical(UINT nSide)
{
    return nSide == SIDE_BELOW || nSide == SIDE_ABOVE;
}

// The alignment along one axis that keeps a window of the size around p between near and far.
int FitAlignment(int align, int p, int size, int nearBound, int farBound, int margin)
{
    switch (align)
    {
    case ALIGN_START:
        if (p + size - margin > farBound)
            return p - size + margin < nearBound ? ALIGN_CENTRE : ALIGN_END;
        break;
    case ALIGN_END:
        if (p + margin - size < nearBound)
            return p - margin + size <= farBound ? ALIGN_START : ALIGN_CENTRE;
        break;
    default:
        if (p - nearBound <= margin)
            return ALIGN_START;
        if (farBound - p <= margin)
            return ALIGN_END;
        break;
    }
    return align;
}

// Where along one axis the point lies inside a window of the size.
int AnchorOffset(int align, int p, int size, int nearBound, int farBound, int margin)
{
    int offset = 0;
    if (align == ALIGN_START)
    {
        offset = margin;
    }
    else if (align == ALIGN_END)
    {
        offset = size - margin;
    }
    else
    {
        const int half = size / 2;
        offset = half;
        if (p + half > farBound && p - half >= nearBound)
            offset += p + half - farBound;
        else if (p - half < nearBound)
            offset += p - half - nearBound;
    }
    if (align == ALIGN_END)
    {
        if (p - offset + size > farBound)
            offset = p - farBound + size;
    }
    else if (p - offset < nearBound)
    {
        offset = p - nearBound;
    }
    return offset;
}

} // namespace

bool IsValidDirection(UINT nDirection)
{
    return nDirection <= 0x32 && (nDirection & 0x0F) <= ALIGN_CENTRE;
}

PPToolTipPlacement PlaceToolTip(POINT pt, SIZE textSize, UINT nDirection, const PPToolTipSizes &sizes,
                                const RECT &rcScreen)
{
    PPToolTipPlacement placement;
    placement.nDirection = nDirection;
    placement.rcText =
        CRect(sizes.nMarginH, sizes.nMarginV, sizes.nMarginH + textSize.cx, sizes.nMarginV + textSize.cy);
    placement.rcContent = CRect(0, 0, textSize.cx + 2 * sizes.nMarginH, textSize.cy + 2 * sizes.nMarginV);
    if (!IsValidDirection(nDirection))
    {
        placement.rcWindow = placement.rcContent;
        placement.rcWindow.OffsetRect(pt.x, pt.y);
        return placement;
    }

    UINT side = nDirection & 0xF0;
    int align = static_cast<int>(nDirection & 0x0F);
    const int a = sizes.nAnchorHeight;
    const int m = sizes.nAnchorMargin;
    const int w = placement.rcContent.Width() + (IsVertical(side) ? 0 : a);
    const int h = placement.rcContent.Height() + (IsVertical(side) ? a : 0);

    if (side == SIDE_RIGHT)
    {
        if (pt.x + w > rcScreen.right)
            side = SIDE_LEFT;
    }
    else if (side == SIDE_LEFT)
    {
        if (pt.x - w < rcScreen.left)
            side = SIDE_RIGHT;
    }
    else
    {
        align = FitAlignment(align, pt.x, w, rcScreen.left, rcScreen.right, m);
    }
    if (side == SIDE_BELOW)
    {
        if (pt.y + h > rcScreen.bottom)
            side = SIDE_ABOVE;
    }
    else if (side == SIDE_ABOVE)
    {
        if (pt.y - h < rcScreen.top)
            side = SIDE_BELOW;
    }
    else
    {
        align = FitAlignment(align, pt.y, h, rcScreen.top, rcScreen.bottom, m);
    }

    CPoint anchor;
    if (IsVertical(side))
    {
        anchor.x = AnchorOffset(align, pt.x, w, rcScreen.left, rcScreen.right, m);
        anchor.y = side == SIDE_BELOW ? 0 : h;
        if (side == SIDE_BELOW)
        {
            placement.rcContent.OffsetRect(0, a);
            placement.rcText.OffsetRect(0, a);
        }
    }
    else
    {
        anchor.x = side == SIDE_RIGHT ? 0 : w;
        anchor.y = AnchorOffset(align, pt.y, h, rcScreen.top, rcScreen.bottom, m);
        if (side == SIDE_RIGHT)
        {
            placement.rcContent.OffsetRect(a, 0);
            placement.rcText.OffsetRect(a, 0);
        }
    }
    placement.nDirection = side + static_cast<UINT>(align);
    placement.ptAnchor = anchor;
    placement.rcWindow = CRect(pt.x - anchor.x, pt.y - anchor.y, pt.x - anchor.x + w, pt.y - anchor.y + h);
    return placement;
}

HRGN CreateTipRegion(SIZE windowSize, POINT ptAnchor, UINT nDirection, const PPToolTipSizes &sizes)
{
    CRect body(0, 0, windowSize.cx, windowSize.cy);
    const bool valid = IsValidDirection(nDirection);
    const UINT side = nDirection & 0xF0;
    const int align = static_cast<int>(nDirection & 0x0F);
    const int a = sizes.nAnchorHeight;
    if (valid)
    {
        if (side == SIDE_BELOW)
            body.top += a;
        else if (side == SIDE_ABOVE)
            body.bottom -= a;
        else if (side == SIDE_RIGHT)
            body.left += a;
        else
            body.right -= a;
    }
    // The rounded-rectangle region leaves out its right and bottom edge: one more pixel each way covers the body.
    HRGN region = ::CreateRoundRectRgn(body.left, body.top, body.right + 1, body.bottom + 1, sizes.nCornerWidth,
                                       sizes.nCornerHeight);
    if (region == nullptr || !valid || sizes.nAnchorHeight == 0 || sizes.nAnchorWidth == 0)
        return region;

    // The anchor's base on the moved-in edge.
    const bool vertical = IsVertical(side);
    const int length = vertical ? windowSize.cx : windowSize.cy;
    const int along = vertical ? ptAnchor.x : ptAnchor.y;
    int first = 0;
    int second = 0;
    if (align == ALIGN_START)
    {
        first = sizes.nAnchorMargin;
        second = first + sizes.nAnchorWidth;
    }
    else if (align == ALIGN_END)
    {
        first = length - sizes.nAnchorMargin;
        second = first - sizes.nAnchorWidth;
    }
    else
    {
        first = along - sizes.nAnchorWidth / 2;
        second = first + sizes.nAnchorWidth;
    }
    int edge = 0;
    if (side == SIDE_BELOW)
        edge = body.top;
    else if (side == SIDE_ABOVE)
        edge = body.bottom;
    else if (side == SIDE_RIGHT)
        edge = body.left;
    else
        edge = body.right;
    POINT triangle[3] = {ptAnchor, {first, edge}, {second, edge}};
    if (!vertical)
    {
        triangle[1] = {edge, first};
        triangle[2] = {edge, second};
    }
    HRGN anchor = ::CreatePolygonRgn(triangle, 3, ALTERNATE);
    if (anchor != nullptr)
    {
        ::CombineRgn(region, region, anchor, RGN_OR);
        ::DeleteObject(anchor);
    }
    return region;
}

HRGN CreateShadedRegion(HRGN hTipRegion, int nOffsetX, int nOffsetY)
{
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    if (region == nullptr || hTipRegion == nullptr)
        return region;
    ::CombineRgn(region, hTipRegion, nullptr, RGN_COPY);
    if (nOffsetX == 0 && nOffsetY == 0)
        return region;
    HRGN shade = ::CreateRectRgn(0, 0, 0, 0);
    if (shade != nullptr)
    {
        ::CombineRgn(shade, hTipRegion, nullptr, RGN_COPY);
        ::OffsetRgn(shade, nOffsetX, nOffsetY);
        ::CombineRgn(region, region, shade, RGN_OR);
        ::DeleteObject(shade);
    }
    return region;
}

CSize ShadedWindowSize(SIZE windowSize, int nOffsetX, int nOffsetY)
{
    return CSize(windowSize.cx + std::abs(nOffsetX), windowSize.cy + std::abs(nOffsetY));
}
