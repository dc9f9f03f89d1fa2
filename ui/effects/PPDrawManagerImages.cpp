// Image effects, partly transparent blits, drop shades and the drawing of bitmaps, icons and image strips.
#include "ui/effects/PPDrawManager.h"

#include <algorithm>
#include <vector>

#include "platform/drawing/DibSection.h"
#include "platform/drawing/Dc.h"
#include "platform/system/Handles.h"

namespace
{

const DWORD kColorBits = 0x00FFFFFF;
const DWORD kAlphaBits = 0xFF000000;
const DWORD kWhitePixel = 0x00FFFFFF;

// A colour reference (0x00BBGGRR) as a pixel (0x00RRGGBB).
DWORD PixelOf(COLORREF crColor)
{
    return (static_cast<DWORD>(GetRValue(crColor)) << 16) | (static_cast<DWORD>(GetGValue(crColor)) << 8) |
           GetBValue(crColor);
}

// The pixels of a DIB section made by CreateImageEffect (32 bits, bottom-up).
DWORD *SectionBits(HBITMAP hSection)
{
    DIBSECTION section = {};
    if (hSection == nullptr || ::GetObjectW(hSection, sizeof(section), &section) != sizeof(section))
        return nullptr;
    ::GdiFlush();
    return static_cast<DWORD *>(section.dsBm.bmBits);
}

// Copies (or stretches) a bitmap into a new 32-bit section of the given size. COLORONCOLOR keeps every colour
// exact, so that a transparent colour stays transparent.
bool CopyBitmap(CDibSection &target, HBITMAP hBitmap, int nFromWidth, int nFromHeight, int nWidth, int nHeight)
{
    if (!target.Create(nWidth, nHeight))
        return false;
    CDCOwner source(::CreateCompatibleDC(nullptr));
    if (!source.IsValid())
        return false;
    CSelectObjectGuard selected(source.Get(), hBitmap);
    if (nFromWidth == nWidth && nFromHeight == nHeight)
        return ::BitBlt(target.GetDC(), 0, 0, nWidth, nHeight, source, 0, 0, SRCCOPY) != FALSE;
    ::SetStretchBltMode(target.GetDC(), COLORONCOLOR);
    return ::StretchBlt(target.GetDC(), 0, 0, nWidth, nHeight, source, 0, 0, nFromWidth, nFromHeight, SRCCOPY) != FALSE;
}

// Sums of v over a window of nWindow cells centred on each cell of a line of nCount cells; cells outside the
// line count as fOutside.
void WindowSums(const std::vector<LONGLONG> &values, size_t nFirst, size_t nStride, int nCount, int nWindow,
                LONGLONG fOutside, std::vector<LONGLONG> &sums)
{
    std::vector<LONGLONG> prefix(static_cast<size_t>(nCount) + 1, 0);
    for (int i = 0; i < nCount; ++i)
        prefix[static_cast<size_t>(i) + 1] = prefix[static_cast<size_t>(i)] + values[nFirst + i * nStride];
    const int radius = nWindow / 2;
    sums.assign(static_cast<size_t>(nCount), 0);
    for (int i = 0; i < nCount; ++i)
    {
        const int from = i - radius;
        const int to = i + radius;
        const int inFrom = std::max(from, 0);
        const int inTo = std::min(to, nCount - 1);
        const LONGLONG inside = prefix[static_cast<size_t>(inTo) + 1] - prefix[static_cast<size_t>(inFrom)];
        const LONGLONG outside = static_cast<LONGLONG>(nWindow - (inTo - inFrom + 1)) * fOutside;
        sums[static_cast<size_t>(i)] = inside + outside;
    }
}

// The sums of a w x h picture over a bw x bh box around every pixel (positions outside count as 255): along the
// rows first, then along the columns.
std::vector<LONGLONG> BoxSum(const std::vector<LONGLONG> &values, int w, int h, int bw, int bh)
{
    std::vector<LONGLONG> rows(values.size());
    std::vector<LONGLONG> line;
    for (int y = 0; y < h; ++y)
    {
        WindowSums(values, static_cast<size_t>(y) * w, 1, w, bw, 255, line);
        std::copy(line.begin(), line.end(), rows.begin() + static_cast<ptrdiff_t>(y) * w);
    }
    std::vector<LONGLONG> sums(values.size());
    for (int x = 0; x < w; ++x)
    {
        WindowSums(rows, static_cast<size_t>(x), static_cast<size_t>(w), h, bh, 255LL * bw, line);
        for (int y = 0; y < h; ++y)
            sums[static_cast<size_t>(y) * w + x] = line[static_cast<size_t>(y)];
    }
    return sums;
}

int MakeOdd(int n)
{
    return (n % 2 == 0) ? n + 1 : n;
}

} // namespace

HBITMAP CPPDrawManager::CreateImageEffect(HBITMAP hBitmap, DWORD dwWidth, DWORD dwHeight, DWORD dwEffect, BOOL bUseMask,
                                          COLORREF crMask, COLORREF crMonochrome)
{
    m_bIsAlpha = FALSE;
    if (hBitmap == nullptr || dwWidth == 0 || dwHeight == 0 || dwWidth > 0x7FFF || dwHeight > 0x7FFF)
        return nullptr;
    const int width = static_cast<int>(dwWidth);
    const int height = static_cast<int>(dwHeight);
    CDibSection image;
    if (!CopyBitmap(image, hBitmap, width, height, width, height))
        return nullptr;

    const DWORD maskPixel = PixelOf(crMask);
    const DWORD monoPixel = PixelOf(crMonochrome);
    DWORD *bits = image.GetBits();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i)
    {
        const DWORD pixel = bits[i];
        const DWORD alpha = pixel & kAlphaBits;
        DWORD color = pixel & kColorBits;
        if (alpha != 0)
            m_bIsAlpha = TRUE;
        DWORD result = 0;
        if (!(bUseMask && color == maskPixel))
        {
            if (dwEffect & PPIE_GRAY)
                color = GrayColor(color) & kColorBits;
            if (dwEffect & PPIE_DARKEN)
                color = DarkenColor(color, 0.75) & kColorBits;
            if (dwEffect & PPIE_LIGHTEN)
                color = LightenColor(color, 0.25) & kColorBits;
            if (dwEffect & PPIE_MONOCHROME)
                color = monoPixel;
            result = alpha | color;
        }
        if (dwEffect & PPIE_INVERT)
            result = (result & kAlphaBits) | (~result & kColorBits);
        bits[i] = result;
    }
    return image.Detach();
}

void CPPDrawManager::AlphaBlt(HDC hDestDC, int nDestX, int nDestY, int nWidth, int nHeight, HDC hSrcDC, int nSrcX,
                              int nSrcY, int nPercent)
{
    if (hDestDC == nullptr || hSrcDC == nullptr || nWidth <= 0 || nHeight <= 0)
        return;
    if (nPercent >= 100)
    {
        ::BitBlt(hDestDC, nDestX, nDestY, nWidth, nHeight, hSrcDC, nSrcX, nSrcY, SRCCOPY);
        return;
    }
    nPercent = std::max(nPercent, 0);
    CDibSection source;
    CDibSection dest;
    if (!source.Create(nWidth, nHeight) || !dest.Create(nWidth, nHeight))
        return;
    ::BitBlt(source.GetDC(), 0, 0, nWidth, nHeight, hSrcDC, nSrcX, nSrcY, SRCCOPY);
    ::BitBlt(dest.GetDC(), 0, 0, nWidth, nHeight, hDestDC, nDestX, nDestY, SRCCOPY);
    const double sourceShare = nPercent / 100.0;
    const double destShare = (100 - nPercent) / 100.0;
    const DWORD *from = source.GetBits();
    DWORD *to = dest.GetBits();
    const size_t count = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight);
    for (size_t i = 0; i < count; ++i)
        to[i] = MixColors(from[i], sourceShare, to[i], destShare);
    ::BitBlt(hDestDC, nDestX, nDestY, nWidth, nHeight, dest.GetDC(), 0, 0, SRCCOPY);
}

void CPPDrawManager::DrawShade(HDC hDC, int x, int y, int nWidth, int nHeight, HBITMAP hShade, BOOL bSoft,
                               int nBoxWidth, int nBoxHeight)
{
    if (hDC == nullptr || hShade == nullptr || nWidth <= 0 || nHeight <= 0)
        return;
    DWORD dwFromWidth = 0;
    DWORD dwFromHeight = 0;
    GetBitmapSize(hShade, &dwFromWidth, &dwFromHeight);
    if (dwFromWidth == 0 || dwFromHeight == 0)
        return;

    CDibSection shade;
    if (!shade.Create(nWidth, nHeight))
        return;
    CDCOwner source(::CreateCompatibleDC(nullptr));
    if (!source.IsValid())
        return;
    if (bSoft)
    {
        // A box larger than the picture is cut to it (keeping it odd).
        nBoxWidth = MakeOdd(std::max(nBoxWidth, 1));
        nBoxHeight = MakeOdd(std::max(nBoxHeight, 1));
        if (nBoxWidth > nWidth)
            nBoxWidth = MakeOdd(nWidth) > nWidth ? nWidth - 1 : nWidth;
        if (nBoxHeight > nHeight)
            nBoxHeight = MakeOdd(nHeight) > nHeight ? nHeight - 1 : nHeight;
        nBoxWidth = std::max(nBoxWidth, 1);
        nBoxHeight = std::max(nBoxHeight, 1);
        RECT all = {0, 0, nWidth, nHeight};
        ::FillRect(shade.GetDC(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        if (nWidth - nBoxWidth > 0 && nHeight - nBoxHeight > 0)
        {
            CSelectObjectGuard selected(source.Get(), hShade);
            ::SetStretchBltMode(shade.GetDC(), COLORONCOLOR);
            ::StretchBlt(shade.GetDC(), nBoxWidth / 2, nBoxHeight / 2, nWidth - nBoxWidth, nHeight - nBoxHeight, source,
                         0, 0, static_cast<int>(dwFromWidth), static_cast<int>(dwFromHeight), SRCCOPY);
        }
    }
    else
    {
        CSelectObjectGuard selected(source.Get(), hShade);
        ::BitBlt(shade.GetDC(), 0, 0, nWidth, nHeight, source, 0, 0, SRCCOPY);
    }

    CDibSection dest;
    if (!dest.Create(nWidth, nHeight))
        return;
    ::BitBlt(dest.GetDC(), 0, 0, nWidth, nHeight, hDC, x, y, SRCCOPY);

    const DWORD *shadeBits = shade.GetBits();
    DWORD *destBits = dest.GetBits();
    const size_t count = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight);
    if (bSoft)
    {
        std::vector<LONGLONG> values(count);
        for (size_t i = 0; i < count; ++i)
            values[i] = shadeBits[i] & 0xFF;
        const std::vector<LONGLONG> sums = BoxSum(values, nWidth, nHeight, nBoxWidth, nBoxHeight);
        const double area = static_cast<double>(nBoxWidth) * nBoxHeight * 255.0;
        for (size_t i = 0; i < count; ++i)
            destBits[i] = DarkenColor(destBits[i] & kColorBits, static_cast<double>(sums[i]) / area);
    }
    else
    {
        for (size_t i = 0; i < count; ++i)
            destBits[i] = DarkenColor(destBits[i] & kColorBits, (shadeBits[i] & 0xFF) / 255.0);
    }
    ::BitBlt(hDC, x, y, nWidth, nHeight, dest.GetDC(), 0, 0, SRCCOPY);
}

void CPPDrawManager::DrawBitmap(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HBITMAP hBitmap, BOOL bUseMask,
                                COLORREF crMask, DWORD dwEffect, const ShadeInfo &shade)
{
    if (hDC == nullptr || hBitmap == nullptr || dwWidth == 0 || dwHeight == 0 || dwWidth > 0x7FFF || dwHeight > 0x7FFF)
        return;
    DWORD dwFromWidth = 0;
    DWORD dwFromHeight = 0;
    GetBitmapSize(hBitmap, &dwFromWidth, &dwFromHeight);
    if (dwFromWidth == 0 || dwFromHeight == 0)
        return;
    const int width = static_cast<int>(dwWidth);
    const int height = static_cast<int>(dwHeight);
    CDibSection image;
    if (!CopyBitmap(image, hBitmap, static_cast<int>(dwFromWidth), static_cast<int>(dwFromHeight), width, height))
        return;
    CGdiObjectOwner<HBITMAP> sized(image.Detach());
    CGdiObjectOwner<HBITMAP> mask(
        CreateImageEffect(sized, dwWidth, dwHeight, PPIE_MONOCHROME | PPIE_INVERT, bUseMask, crMask, kWhitePixel));
    if (!mask.IsValid())
        return;
    DrawPreparedImage(hDC, x, y, width, height, sized, mask, dwEffect, shade);
}

void CPPDrawManager::DrawIcon(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HICON hIcon, DWORD dwEffect,
                              const ShadeInfo &shade)
{
    if (hDC == nullptr || hIcon == nullptr || dwWidth == 0 || dwHeight == 0 || dwWidth > 0x7FFF || dwHeight > 0x7FFF)
        return;
    const int width = static_cast<int>(dwWidth);
    const int height = static_cast<int>(dwHeight);
    // The icon's own mask says what is transparent (white); its picture is drawn over black.
    CDibSection image;
    CDibSection mask;
    if (!image.Create(width, height) || !mask.Create(width, height))
        return;
    RECT all = {0, 0, width, height};
    ::FillRect(image.GetDC(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::DrawIconEx(image.GetDC(), 0, 0, hIcon, width, height, 0, nullptr, DI_NORMAL);
    ::DrawIconEx(mask.GetDC(), 0, 0, hIcon, width, height, 0, nullptr, DI_MASK);
    DWORD *maskBits = mask.GetBits();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i)
        maskBits[i] = (maskBits[i] & kColorBits) == kWhitePixel ? kWhitePixel : 0;
    CGdiObjectOwner<HBITMAP> picture(image.Detach());
    CGdiObjectOwner<HBITMAP> transparent(mask.Detach());
    DrawPreparedImage(hDC, x, y, width, height, picture, transparent, dwEffect, shade);
}

void CPPDrawManager::DrawImageList(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HBITMAP hStrip, int nIndex,
                                   int nCellWidth, int nCellHeight, BOOL bUseMask, COLORREF crMask, DWORD dwEffect,
                                   const ShadeInfo &shade)
{
    if (hDC == nullptr || hStrip == nullptr || nIndex < 0 || nCellWidth <= 0 || nCellHeight <= 0)
        return;
    DWORD dwStripWidth = 0;
    DWORD dwStripHeight = 0;
    GetBitmapSize(hStrip, &dwStripWidth, &dwStripHeight);
    const int columns = static_cast<int>(dwStripWidth) / nCellWidth;
    const int rows = static_cast<int>(dwStripHeight) / nCellHeight;
    if (columns == 0 || rows == 0 || nIndex >= columns * rows)
        return;
    CDibSection cell;
    if (!cell.Create(nCellWidth, nCellHeight))
        return;
    {
        CDCOwner source(::CreateCompatibleDC(nullptr));
        if (!source.IsValid())
            return;
        CSelectObjectGuard selected(source.Get(), hStrip);
        ::BitBlt(cell.GetDC(), 0, 0, nCellWidth, nCellHeight, source, (nIndex % columns) * nCellWidth,
                 (nIndex / columns) * nCellHeight, SRCCOPY);
    }
    CGdiObjectOwner<HBITMAP> picture(cell.Detach());
    DrawBitmap(hDC, x, y, dwWidth, dwHeight, picture, bUseMask, crMask, dwEffect, shade);
}

void CPPDrawManager::DrawPreparedImage(HDC hDC, int x, int y, int nWidth, int nHeight, HBITMAP hImage, HBITMAP hMask,
                                       DWORD dwEffect, const ShadeInfo &shade)
{
    const DWORD dwWidth = static_cast<DWORD>(nWidth);
    const DWORD dwHeight = static_cast<DWORD>(nHeight);
    if (shade.bShadow)
    {
        if (dwEffect & (PPIE_SHADOW | PPIE_SOFT_SHADOW))
        {
            // Shade colour where the image is, white where it is transparent.
            CGdiObjectOwner<HBITMAP> shadeImage(CreateImageEffect(hMask, dwWidth, dwHeight,
                                                                  PPIE_MONOCHROME | PPIE_INVERT, TRUE,
                                                                  RGB(255, 255, 255), InvertColor(shade.crShadow)));
            if (shadeImage.IsValid())
                DrawShade(hDC, x + shade.nOffsetX, y + shade.nOffsetY, nWidth, nHeight, shadeImage,
                          (dwEffect & PPIE_SOFT_SHADOW) != 0, shade.nDepthX, shade.nDepthY);
        }
        else
        {
            x += shade.nOffsetX;
            y += shade.nOffsetY;
        }
    }

    const DWORD imageEffect = dwEffect & (PPIE_GRAY | PPIE_DARKEN | PPIE_LIGHTEN | PPIE_MONOCHROME | PPIE_INVERT);
    CGdiObjectOwner<HBITMAP> effect(
        CreateImageEffect(hImage, dwWidth, dwHeight, imageEffect, FALSE, 0, ::GetSysColor(COLOR_BTNSHADOW)));
    const BOOL bAlpha = m_bIsAlpha;
    const DWORD *effectBits = SectionBits(effect);
    const DWORD *maskBits = SectionBits(hMask);
    if (effectBits == nullptr || maskBits == nullptr)
        return;

    CDibSection dest;
    if (!dest.Create(nWidth, nHeight))
        return;
    ::BitBlt(dest.GetDC(), 0, 0, nWidth, nHeight, hDC, x, y, SRCCOPY);
    DWORD *destBits = dest.GetBits();
    const size_t count = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight);
    for (size_t i = 0; i < count; ++i)
    {
        if ((maskBits[i] & kColorBits) == kWhitePixel)
            continue;
        const DWORD pixel = effectBits[i];
        if (bAlpha)
        {
            const double share = (pixel >> 24) / 255.0;
            destBits[i] = MixColors(pixel & kColorBits, share, destBits[i] & kColorBits, 1.0 - share);
        }
        else
        {
            destBits[i] = pixel & kColorBits;
        }
    }
    ::BitBlt(hDC, x, y, nWidth, nHeight, dest.GetDC(), 0, 0, SRCCOPY);
}
