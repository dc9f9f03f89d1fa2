#include "ui/effects/PPDrawManager.h"

#include <algorithm>
#include <cstdlib>

#include "platform/drawing/Dc.h"
#include "platform/system/Handles.h"

namespace
{

int PenStyleOf(int nStyle)
{
    switch (nStyle)
    {
    case PPPEN_DASH:
        return PS_DASH;
    case PPPEN_DOT:
        return PS_DOT;
    case PPPEN_DASHDOT:
        return PS_DASHDOT;
    case PPPEN_DASHDOTDOT:
        return PS_DASHDOTDOT;
    default:
        return PS_SOLID;
    }
}

void FillSolid(HDC hDC, const RECT &rect, COLORREF crColor)
{
    CGdiObjectOwner<HBRUSH> brush(::CreateSolidBrush(crColor));
    if (brush.IsValid())
        ::FillRect(hDC, &rect, brush);
}

} // namespace

CPPDrawManager::CPPDrawManager() = default;

CPPDrawManager::~CPPDrawManager() = default;

void CPPDrawManager::FillEffect(HDC hDC, int nEffect, LPCRECT lpRect, COLORREF crBegin, COLORREF crMid, COLORREF crEnd,
                                BYTE byGrain, BYTE byTint)
{
    if (hDC == nullptr || lpRect == nullptr || nEffect == PPFX_TRANSPARENT)
        return;
    const RECT rect = *lpRect;
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;

    // Two gradients meeting at the middle: first to middle, then middle to last.
    auto drawSplit = [&](BOOL horizontal, COLORREF first, COLORREF middle, COLORREF last) {
        RECT one = rect, two = rect;
        if (horizontal)
            one.right = two.left = rect.left + (rect.right - rect.left) / 2;
        else
            one.bottom = two.top = rect.top + (rect.bottom - rect.top) / 2;
        DrawGradient(hDC, &one, first, middle, horizontal);
        DrawGradient(hDC, &two, middle, last, horizontal);
    };
    switch (nEffect)
    {
    case PPFX_HGRADIENT:
        DrawGradient(hDC, &rect, crBegin, crEnd, TRUE);
        break;
    case PPFX_VGRADIENT:
        DrawGradient(hDC, &rect, crBegin, crEnd, FALSE);
        break;
    case PPFX_HCGRADIENT:
        drawSplit(TRUE, crBegin, crEnd, crBegin);
        break;
    case PPFX_VCGRADIENT:
        drawSplit(FALSE, crBegin, crEnd, crBegin);
        break;
    case PPFX_3HGRADIENT:
        drawSplit(TRUE, crBegin, crMid, crEnd);
        break;
    case PPFX_3VGRADIENT:
        drawSplit(FALSE, crBegin, crMid, crEnd);
        break;
    default:
        if (nEffect >= PPFX_NOISE && nEffect <= PPFX_METAL)
            FillTexture(hDC, nEffect, rect, crBegin, crMid, crEnd, byGrain, byTint);
        else
            FillSolid(hDC, rect, crBegin);
        break;
    }
}

void CPPDrawManager::DrawGradient(HDC hDC, LPCRECT lpRect, COLORREF crFrom, COLORREF crTo, BOOL bHorz)
{
    if (hDC == nullptr || lpRect == nullptr)
        return;
    const RECT rect = *lpRect;
    const LONGLONG origin = bHorz ? rect.left : rect.top;
    const LONGLONG size = bHorz ? rect.right - rect.left : rect.bottom - rect.top;
    if (size <= 0 || (bHorz ? rect.bottom <= rect.top : rect.right <= rect.left))
        return;
    const int kBands = 64;
    for (int i = 0; i < kBands; ++i)
    {
        const LONG from = static_cast<LONG>(origin + i * size / kBands);
        const LONG to = static_cast<LONG>(origin + (i + 1) * size / kBands);
        if (to <= from)
            continue;
        const COLORREF band = RGB((GetRValue(crFrom) * (kBands - i) + GetRValue(crTo) * i) / kBands,
                                  (GetGValue(crFrom) * (kBands - i) + GetGValue(crTo) * i) / kBands,
                                  (GetBValue(crFrom) * (kBands - i) + GetBValue(crTo) * i) / kBands);
        RECT part = rect;
        if (bHorz)
        {
            part.left = from;
            part.right = to;
        }
        else
        {
            part.top = from;
            part.bottom = to;
        }
        FillSolid(hDC, part, band);
    }
}

void CPPDrawManager::GetIconSize(HICON hIcon, LPDWORD lpWidth, LPDWORD lpHeight)
{
    DWORD width = 0;
    DWORD height = 0;
    ICONINFO info = {};
    if (hIcon != nullptr && ::GetIconInfo(hIcon, &info))
    {
        width = info.xHotspot * 2;
        height = info.yHotspot * 2;
        if (info.hbmColor != nullptr)
            ::DeleteObject(info.hbmColor);
        if (info.hbmMask != nullptr)
            ::DeleteObject(info.hbmMask);
    }
    if (lpWidth != nullptr)
        *lpWidth = width;
    if (lpHeight != nullptr)
        *lpHeight = height;
}

void CPPDrawManager::GetBitmapSize(HBITMAP hBitmap, LPDWORD lpWidth, LPDWORD lpHeight)
{
    BITMAP bitmap = {};
    const bool known = hBitmap != nullptr && ::GetObjectW(hBitmap, sizeof(bitmap), &bitmap) != 0;
    if (lpWidth != nullptr)
        *lpWidth = known ? static_cast<DWORD>(bitmap.bmWidth) : 0;
    if (lpHeight != nullptr)
        *lpHeight = known ? static_cast<DWORD>(std::abs(bitmap.bmHeight)) : 0;
}

COLORREF CPPDrawManager::GrayColor(COLORREF crPixel)
{
    const double red = (crPixel >> 16) & 0xFF;
    const double green = (crPixel >> 8) & 0xFF;
    const double blue = crPixel & 0xFF;
    const BYTE y = static_cast<BYTE>(0.299 * red + 0.587 * green + 0.114 * blue);
    return RGB(y, y, y);
}

COLORREF CPPDrawManager::InvertColor(COLORREF crColor)
{
    return ~crColor & 0x00FFFFFF;
}

COLORREF CPPDrawManager::DarkenColor(COLORREF crColor, double dFactor)
{
    if (dFactor < 0.0 || dFactor >= 1.0)
        return crColor;
    return RGB(static_cast<BYTE>(GetRValue(crColor) * dFactor), static_cast<BYTE>(GetGValue(crColor) * dFactor),
               static_cast<BYTE>(GetBValue(crColor) * dFactor));
}

COLORREF CPPDrawManager::LightenColor(COLORREF crColor, double dFactor)
{
    if (dFactor <= 0.0 || dFactor > 1.0)
        return crColor;
    auto lighten = [dFactor](BYTE channel) {
        const double value = channel * (1.0 + dFactor);
        return static_cast<BYTE>(value > 255.0 ? 255.0 : value);
    };
    return RGB(lighten(GetRValue(crColor)), lighten(GetGValue(crColor)), lighten(GetBValue(crColor)));
}

COLORREF CPPDrawManager::MixColors(COLORREF crA, double dFactorA, COLORREF crB, double dFactorB)
{
    auto mix = [&](BYTE a, BYTE b) { return static_cast<BYTE>(static_cast<int>(a * dFactorA + b * dFactorB) & 0xFF); };
    return RGB(mix(GetRValue(crA), GetRValue(crB)), mix(GetGValue(crA), GetGValue(crB)),
               mix(GetBValue(crA), GetBValue(crB)));
}

HICON CPPDrawManager::StretchIcon(HICON hIcon, DWORD dwWidth, DWORD dwHeight)
{
    if (hIcon == nullptr || dwWidth == 0 || dwHeight == 0)
        return nullptr;
    ICONINFO info = {};
    if (!::GetIconInfo(hIcon, &info))
        return nullptr;
    CGdiObjectOwner<HBITMAP> color(info.hbmColor);
    CGdiObjectOwner<HBITMAP> mask(info.hbmMask);
    const int fromWidth = static_cast<int>(info.xHotspot * 2);
    const int fromHeight = static_cast<int>(info.yHotspot * 2);
    if (fromWidth <= 0 || fromHeight <= 0 || !mask.IsValid())
        return nullptr;

    CDCOwner from(::CreateCompatibleDC(nullptr));
    CDCOwner to(::CreateCompatibleDC(nullptr));
    if (!from.IsValid() || !to.IsValid())
        return nullptr;

    // The colour bitmap keeps the colour depth of the screen; the mask stays monochrome.
    HDC hScreen = ::GetDC(nullptr);
    CGdiObjectOwner<HBITMAP> newColor(
        color.IsValid() ? ::CreateCompatibleBitmap(hScreen, static_cast<int>(dwWidth), static_cast<int>(dwHeight))
                        : nullptr);
    ::ReleaseDC(nullptr, hScreen);
    CGdiObjectOwner<HBITMAP> newMask(
        ::CreateBitmap(static_cast<int>(dwWidth), static_cast<int>(dwHeight), 1, 1, nullptr));
    if (!newMask.IsValid() || (color.IsValid() && !newColor.IsValid()))
        return nullptr;

    auto stretch = [&](HBITMAP source, HBITMAP target) {
        CSelectObjectGuard sourceSelected(from.Get(), source);
        CSelectObjectGuard targetSelected(to.Get(), target);
        ::SetStretchBltMode(to, COLORONCOLOR);
        ::StretchBlt(to, 0, 0, static_cast<int>(dwWidth), static_cast<int>(dwHeight), from, 0, 0, fromWidth, fromHeight,
                     SRCCOPY);
    };
    if (color.IsValid())
        stretch(color, newColor);
    stretch(mask, newMask);

    ICONINFO made = {};
    made.fIcon = info.fIcon;
    made.xHotspot = dwWidth / 2;
    made.yHotspot = dwHeight / 2;
    made.hbmColor = newColor.Get();
    made.hbmMask = newMask.Get();
    return ::CreateIconIndirect(&made);
}

void CPPDrawManager::TileBlt(HDC hDestDC, LPCRECT lpRect, HDC hSrcDC, int xSrc, int ySrc, int nTileWidth,
                             int nTileHeight)
{
    if (hDestDC == nullptr || hSrcDC == nullptr || lpRect == nullptr || nTileWidth <= 0 || nTileHeight <= 0)
        return;
    const RECT rect = *lpRect;
    for (LONG y = rect.top; y < rect.bottom; y += nTileHeight)
    {
        const int height = static_cast<int>(std::min<LONG>(nTileHeight, rect.bottom - y));
        for (LONG x = rect.left; x < rect.right; x += nTileWidth)
        {
            const int width = static_cast<int>(std::min<LONG>(nTileWidth, rect.right - x));
            ::BitBlt(hDestDC, x, y, width, height, hSrcDC, xSrc, ySrc, SRCCOPY);
        }
    }
}

void CPPDrawManager::DrawRectangle(HDC hDC, LPCRECT lpRect, COLORREF crTopLeft, COLORREF crBottomRight, int nStyle,
                                   int nWidth)
{
    if (hDC == nullptr || lpRect == nullptr || nStyle == PPPEN_NONE || nWidth < 1)
        return;
    RECT rect = *lpRect;
    ::InflateRect(&rect, -(nWidth / 2), -(nWidth / 2));
    const int penStyle = PenStyleOf(nStyle);
    CGdiObjectOwner<HPEN> topLeft(::CreatePen(penStyle, nWidth, crTopLeft));
    CGdiObjectOwner<HPEN> bottomRight(::CreatePen(penStyle, nWidth, crBottomRight));
    if (!topLeft.IsValid() || !bottomRight.IsValid())
        return;

    auto frame = [&](const RECT &r) {
        CSelectObjectGuard pen(hDC, topLeft.Get());
        ::MoveToEx(hDC, r.left, r.bottom - 1, nullptr);
        ::LineTo(hDC, r.left, r.top);
        ::LineTo(hDC, r.right - 1, r.top);
        pen.Select(bottomRight.Get());
        ::LineTo(hDC, r.right - 1, r.bottom - 1);
        ::LineTo(hDC, r.left, r.bottom - 1);
    };
    frame(rect);
    if (nStyle == PPPEN_DOUBLE)
    {
        RECT inner = rect;
        ::InflateRect(&inner, -2 * nWidth, -2 * nWidth);
        if (inner.right > inner.left && inner.bottom > inner.top)
            frame(inner);
    }
}

void CPPDrawManager::DrawLine(HDC hDC, int x1, int y1, int x2, int y2, COLORREF crColor, int nStyle, int nWidth)
{
    if (hDC == nullptr || nStyle == PPPEN_NONE || nWidth < 1)
        return;
    CGdiObjectOwner<HPEN> pen(::CreatePen(PenStyleOf(nStyle), nWidth, crColor));
    if (!pen.IsValid())
        return;
    CSelectObjectGuard selected(hDC, pen.Get());
    ::MoveToEx(hDC, x1, y1, nullptr);
    ::LineTo(hDC, x2, y2);
    if (nStyle == PPPEN_DOUBLE)
    {
        const int dx = y1 != y2 ? 2 * nWidth : 0;
        const int dy = x1 != x2 ? 2 * nWidth : 0;
        ::MoveToEx(hDC, x1 + dx, y1 + dy, nullptr);
        ::LineTo(hDC, x2 + dx, y2 + dy);
    }
}
