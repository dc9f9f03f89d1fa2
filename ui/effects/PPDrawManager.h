// Drawing routines shared by the markup renderer and the tooltip: background fills with sixteen effects, colour
// arithmetic, icon and bitmap routines, image effects on 32-bit copies of bitmaps, partly transparent blits,
// drop shades, and framed rectangles and lines with pen styles.
//
// Colours are colour references (0x00BBGGRR). Pixels of 32-bit images are 0xAARRGGBB; the routines below say
// where they take one or the other. Every routine returns quietly, drawing nothing or returning null, when a
// DC, bitmap, section or block cannot be made, and deletes what it made.
#pragma once
#include <windows.h>

#include "ui/effects/CeXDib.h"

// Fill-effect numbers of FillEffect (the markup names them in the same order).
enum PPFillEffect : int
{
    PPFX_TRANSPARENT = -1,
    PPFX_SOLID = 0,
    PPFX_HGRADIENT = 1,
    PPFX_VGRADIENT = 2,
    PPFX_HCGRADIENT = 3,
    PPFX_VCGRADIENT = 4,
    PPFX_3HGRADIENT = 5,
    PPFX_3VGRADIENT = 6,
    PPFX_NOISE = 7,
    PPFX_DIAGSHADE = 8,
    PPFX_HSHADE = 9,
    PPFX_VSHADE = 10,
    PPFX_HBUMP = 11,
    PPFX_VBUMP = 12,
    PPFX_SOFTBUMP = 13,
    PPFX_HARDBUMP = 14,
    PPFX_METAL = 15,
};

// Image effect flags of CreateImageEffect and the image routines.
enum PPImageEffect : DWORD
{
    PPIE_GRAY = 0x0001,
    PPIE_DARKEN = 0x0002,
    PPIE_LIGHTEN = 0x0004,
    PPIE_MONOCHROME = 0x0008,
    PPIE_SHADOW = 0x0100,      // a hard drop shade
    PPIE_SOFT_SHADOW = 0x0200, // a soft (blurred) drop shade
    PPIE_INVERT = 0x8000,
};

// Pen styles of DrawRectangle and DrawLine.
enum PPPenStyle : int
{
    PPPEN_NONE = 0,
    PPPEN_SOLID = 1,
    PPPEN_DASH = 2,
    PPPEN_DOT = 3,
    PPPEN_DASHDOT = 4,
    PPPEN_DASHDOTDOT = 5,
    PPPEN_DOUBLE = 6,
};

class CPPDrawManager
{
  public:
    CPPDrawManager();
    virtual ~CPPDrawManager();
    CPPDrawManager(const CPPDrawManager &) = delete;
    CPPDrawManager &operator=(const CPPDrawManager &) = delete;

    // --- Fills ---

    // Fills the rectangle with effect nEffect (PPFillEffect): -1 nothing, 1-6 gradients between the begin, middle
    // and end colours, 7-15 textures with the given grain (0-255) whose palette is tinted toward the begin colour
    // by nTint percent; any other number fills with the begin colour. A rectangle without width or height fills
    // nothing. The textures use the C library's rand(), which is never reseeded here.
    void FillEffect(HDC hDC, int nEffect, LPCRECT lpRect, COLORREF crBegin, COLORREF crMid = 0, COLORREF crEnd = 0,
                    BYTE byGrain = 0, BYTE byTint = 0);
    // A gradient in 64 bands from crFrom to crTo, left to right (bHorz) or top to bottom. Empty bands are skipped;
    // the last band stops one step short of crTo.
    void DrawGradient(HDC hDC, LPCRECT lpRect, COLORREF crFrom, COLORREF crTo, BOOL bHorz);

    // --- Sizes ---

    // Twice the icon's hot spot (its size for an icon); 0 x 0 for none.
    void GetIconSize(HICON hIcon, LPDWORD lpWidth, LPDWORD lpHeight);
    void GetBitmapSize(HBITMAP hBitmap, LPDWORD lpWidth, LPDWORD lpHeight);

    // --- Colours ---

    // The luminance of a 0xAARRGGBB pixel in all three channels (top byte 0).
    COLORREF GrayColor(COLORREF crPixel);
    // Each of the three low bytes inverted, top byte 0.
    COLORREF InvertColor(COLORREF crColor);
    // Each channel times dFactor for 0 <= dFactor < 1; else the colour unchanged.
    COLORREF DarkenColor(COLORREF crColor, double dFactor);
    // Each channel times 1 + dFactor (at most 255) for 0 < dFactor <= 1; else the colour unchanged.
    COLORREF LightenColor(COLORREF crColor, double dFactor);
    // Each channel A x dFactorA + B x dFactorB, truncated to its low 8 bits.
    COLORREF MixColors(COLORREF crA, double dFactorA, COLORREF crB, double dFactorB);

    // --- Icons and blits ---

    // A new icon whose colour and mask bitmaps are the old ones stretched to dwWidth x dwHeight; null on
    // failure. The caller destroys it.
    HICON StretchIcon(HICON hIcon, DWORD dwWidth, DWORD dwHeight);
    // Repeats the tile at (xSrc, ySrc) of the source across the rectangle, clipping the last column and row. A
    // tile of 0 or fewer pixels draws nothing.
    void TileBlt(HDC hDestDC, LPCRECT lpRect, HDC hSrcDC, int xSrc, int ySrc, int nTileWidth, int nTileHeight);
    // A frame in two colours (top and left, bottom and right) with a pen style (PPPenStyle); nothing for style
    // 0 or a width below 1. Style 6 adds a second frame twice the width further in.
    void DrawRectangle(HDC hDC, LPCRECT lpRect, COLORREF crTopLeft, COLORREF crBottomRight, int nStyle = PPPEN_SOLID,
                       int nWidth = 1);
    // A line with a pen style; style 6 adds a parallel line twice the width away (below, or to the right of a
    // vertical line).
    void DrawLine(HDC hDC, int x1, int y1, int x2, int y2, COLORREF crColor, int nStyle = PPPEN_SOLID, int nWidth = 1);

    // --- Image effects ---

    // A new 32-bit DIB section (rows bottom-up) of dwWidth x dwHeight with the bitmap copied into it and the
    // effects (PPImageEffect) applied to every pixel: a pixel of the transparent colour (colour channels only)
    // becomes 0 when bUseMask is set; the others go grey, darker (x 0.75), lighter (x 1.25) or take
    // crMonochrome, in that order; flag 0x8000 then inverts the colour channels of every pixel. Null on failure;
    // the caller deletes the bitmap. Records whether any pixel carries alpha (ImageHasAlpha).
    HBITMAP CreateImageEffect(HBITMAP hBitmap, DWORD dwWidth, DWORD dwHeight, DWORD dwEffect, BOOL bUseMask,
                              COLORREF crMask, COLORREF crMonochrome);
    // Whether the last image made by CreateImageEffect had a pixel with a non-zero alpha byte.
    BOOL ImageHasAlpha() const
    {
        return m_bIsAlpha;
    }
    // Copies the source area onto the destination at nPercent opacity (100 or more: a plain copy).
    void AlphaBlt(HDC hDestDC, int nDestX, int nDestY, int nWidth, int nHeight, HDC hSrcDC, int nSrcX, int nSrcY,
                  int nPercent);
    // Darkens the destination area by the shade image: each pixel by the shade's low colour byte / 255, or, soft,
    // by its mean over a box of nBoxWidth x nBoxHeight around the pixel (odd, at most the image's size; outside
    // the picture counts as white). White leaves the destination alone.
    void DrawShade(HDC hDC, int x, int y, int nWidth, int nHeight, HBITMAP hShade, BOOL bSoft, int nBoxWidth,
                   int nBoxHeight);

    // Drop-shade settings of DrawBitmap, DrawIcon and DrawImageList.
    struct ShadeInfo
    {
        BOOL bShadow = FALSE; // a shade is asked for
        int nOffsetX = 0;     // where the shade (or, without a shade flag, the image) moves
        int nOffsetY = 0;
        int nDepthX = 0; // the soft shade's box
        int nDepthY = 0;
        COLORREF crShadow = 0; // the shade's colour
    };
    // Draws the bitmap stretched to dwWidth x dwHeight at (x, y) with its effects; crMask is transparent when
    // bUseMask is set. With a shade asked for and flag 0x0100 or 0x0200, the shade is drawn first at the place
    // moved by the offsets; with a shade asked for but neither flag, the image itself moves by the offsets.
    void DrawBitmap(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HBITMAP hBitmap, BOOL bUseMask,
                    COLORREF crMask, DWORD dwEffect, const ShadeInfo &shade);
    // The icon drawn the same way (its transparent parts stay transparent).
    void DrawIcon(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HICON hIcon, DWORD dwEffect,
                  const ShadeInfo &shade);
    // Image nIndex of a strip of cells nCellWidth x nCellHeight (read left to right, then down), drawn as
    // DrawBitmap does; nothing when the index is beyond the cells or a cell size is 0.
    void DrawImageList(HDC hDC, int x, int y, DWORD dwWidth, DWORD dwHeight, HBITMAP hStrip, int nIndex, int nCellWidth,
                       int nCellHeight, BOOL bUseMask, COLORREF crMask, DWORD dwEffect, const ShadeInfo &shade);

  private:
    CCeXDib m_dib; // the scratch picture of the textured effects
    BOOL m_bIsAlpha = FALSE;

    void FillTexture(HDC hDC, int nEffect, const RECT &rect, COLORREF crBegin, COLORREF crMid, COLORREF crEnd,
                     int nGrain, int nTint);
    // Draws an image already at its drawn size with its effects and shade; hMask (same size, 32 bits) is white
    // where the image is transparent and black elsewhere.
    void DrawPreparedImage(HDC hDC, int x, int y, int nWidth, int nHeight, HBITMAP hImage, HBITMAP hMask,
                           DWORD dwEffect, const ShadeInfo &shade);
};
