// Shared by the drawing-effect tests: a top-down 32-bit canvas read back as colour references.
#pragma once
#include <windows.h>

#include "platform/drawing/DibSection.h"

namespace effectstest
{

// A canvas of width x height filled with one colour; false when it could not be made.
inline bool MakeCanvas(CDibSection &canvas, int width, int height, COLORREF fill)
{
    if (!canvas.Create(width, height, true))
        return false;
    const DWORD pixel =
        (static_cast<DWORD>(GetRValue(fill)) << 16) | (static_cast<DWORD>(GetGValue(fill)) << 8) | GetBValue(fill);
    DWORD *bits = canvas.GetBits();
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i)
        bits[i] = pixel;
    return true;
}

// The colour at (x, y) of a top-down canvas.
inline COLORREF At(const CDibSection &canvas, int x, int y)
{
    const DWORD pixel = canvas.GetBits()[static_cast<size_t>(y) * static_cast<size_t>(canvas.GetWidth()) + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// Every pixel of the canvas inside the rectangle differs from the colour.
inline bool NoPixelIs(const CDibSection &canvas, const RECT &rect, COLORREF color)
{
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (At(canvas, x, y) == color)
                return false;
    return true;
}

// Every pixel of the canvas inside the rectangle is the colour.
inline bool EveryPixelIs(const CDibSection &canvas, const RECT &rect, COLORREF color)
{
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (At(canvas, x, y) != color)
                return false;
    return true;
}

} // namespace effectstest
