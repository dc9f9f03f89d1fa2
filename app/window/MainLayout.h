// The painting layout of the main window: rectangles with fixed first values and column widths derived from the
// skin's base width. The job list takes its card size from them, the main window's painting its text places.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/text/Geometry.h"

// The skin's base width: the main window's client width at its start and the width of its background image.
constexpr int kMainSkinWidth = 600;

// A rectangle of the layout with its floating-point copy (left, top, width, height) for GDI+; Set keeps the two
// in step.
struct CLayoutRect
{
    CLayoutRect(int left, int top, int right, int bottom)
    {
        Set(CRect(left, top, right, bottom));
    }
    void Set(const RECT &value)
    {
        rect = value;
        rectF = Gdiplus::RectF(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                               static_cast<Gdiplus::REAL>(rect.Width()), static_cast<Gdiplus::REAL>(rect.Height()));
    }
    CRect rect;
    Gdiplus::RectF rectF;
};

// One card of the job list: the cards' width and their expanded height.
extern CLayoutRect g_layoutJobCard;
// The main window's text rectangle (the selected job and the space of its drive); the view switching moves it.
extern CLayoutRect g_layoutText;
// The text rectangle's left edge while a page is shown, and its first place.
constexpr int kLayoutTextLeft = 118;
constexpr RECT kLayoutTextFirst = {kLayoutTextLeft, 454, kLayoutTextLeft + 330, 497};
// Column widths from the base width, (W - 400) / 3 and (W - 240) / 3; each further column lies 120 pixels on.
constexpr int kLayoutColumnNarrow = (kMainSkinWidth - 400) / 3;
constexpr int kLayoutColumnWide = (kMainSkinWidth - 240) / 3;
constexpr int kLayoutColumnOffset = 120;
