// Where the HTML tooltip goes: the side and alignment that fit on the virtual screen, the anchor point inside
// the window, the window's rectangle, and the regions of the balloon and of its shade. Pure functions of their
// arguments, so that they are tested without a window.
#pragma once
#include <windows.h>

#include "platform/text/Geometry.h"

// Direction codes: a side plus an alignment along the anchor's edge (0 near the left or top end, 1 near the
// right or bottom end, 2 centred on the point). Valid codes are 0-2, 16-18, 32-34 and 48-50; any other code
// places the body at the point with no anchor and no screen fitting.
enum : UINT
{
    SIDE_BELOW = 0x00, // the tip below the point, the anchor on its top edge
    SIDE_ABOVE = 0x10, // the anchor on its bottom edge
    SIDE_RIGHT = 0x20, // the tip right of the point, the anchor on its left edge
    SIDE_LEFT = 0x30,  // the anchor on its right edge
};

// The balloon's sizes.
struct PPToolTipSizes
{
    int nCornerWidth = 0; // the corner ellipse
    int nCornerHeight = 0;
    int nMarginH = 0; // between the body's edge and the text
    int nMarginV = 0;
    int nAnchorWidth = 0; // the anchor's base
    int nAnchorHeight = 0;
    int nAnchorMargin = 0; // from the body's corner to the anchor
};

struct PPToolTipPlacement
{
    UINT nDirection = 0; // the code after fitting
    CPoint ptAnchor;     // where the point lies, in window coordinates
    CRect rcWindow;      // on the screen, without the shade
    CRect rcContent;     // the body without the anchor, in window coordinates
    CRect rcText;        // where the text is drawn, in window coordinates
};

bool IsValidDirection(UINT nDirection);

// Places a tip whose text measures textSize at the screen point pt, preferring nDirection, on the virtual
// screen rcScreen.
PPToolTipPlacement PlaceToolTip(POINT pt, SIZE textSize, UINT nDirection, const PPToolTipSizes &sizes,
                                const RECT &rcScreen);

// The balloon (window coordinates) of a window of the size: a rounded body, its anchor side moved in by the
// anchor height, united with the anchor triangle whose point is ptAnchor (no triangle for an invalid code or
// without an anchor size). The caller deletes the region.
HRGN CreateTipRegion(SIZE windowSize, POINT ptAnchor, UINT nDirection, const PPToolTipSizes &sizes);

// The window's region with the shade: the tip region united with itself moved by the offsets (the tip region
// alone when both are 0). The caller deletes the region.
HRGN CreateShadedRegion(HRGN hTipRegion, int nOffsetX, int nOffsetY);
// The window's size with the shade.
CSize ShadedWindowSize(SIZE windowSize, int nOffsetX, int nOffsetY);
