// A packed device-independent bitmap: header, palette and pixel rows in one block. The textured fill effects
// paint palette indexes into it and then draw it onto a DC.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/system/Handles.h"

class CCeXDib
{
  public:
    CCeXDib();
    virtual ~CCeXDib();
    CCeXDib(const CCeXDib &) = delete;
    CCeXDib &operator=(const CCeXDib &) = delete;

    // Frees what the object held, then allocates a picture of width x height pixels (rows bottom-up) with 1, 4,
    // 8 or 24 bits a pixel. Returns the block (header first), or null when it cannot be made.
    LPVOID Create(DWORD dwWidth, DWORD dwHeight, WORD wBitCount);
    // Deletes the memory DC, the DIB section and the block, and zeroes the header.
    void Free();

    // The first pixel row in memory (the bottom row of the picture), or null.
    LPBYTE GetBits() const;
    // Bytes in one pixel row: a multiple of 4.
    DWORD GetLineWidth() const
    {
        return m_dwLineWidth;
    }
    DWORD GetWidth() const
    {
        return m_bi.biWidth > 0 ? static_cast<DWORD>(m_bi.biWidth) : 0;
    }
    DWORD GetHeight() const
    {
        return m_bi.biHeight > 0 ? static_cast<DWORD>(m_bi.biHeight) : 0;
    }
    WORD GetBitCount() const
    {
        return m_bi.biBitCount;
    }
    // Palette entries: 2, 16 or 256 for 1, 4 and 8 bits, else 0.
    WORD GetNumColors() const
    {
        return m_wColors;
    }
    // Palette entry nIndex as a colour reference; 0 outside the palette.
    COLORREF GetPaletteColor(int nIndex) const;

    // Sets palette entry byIndex when it lies inside the palette.
    void SetPaletteIndex(BYTE byIndex, BYTE byRed, BYTE byGreen, BYTE byBlue);
    // Moves every palette entry dwPercent (at most 100) of the way toward crColor.
    void BlendPalette(COLORREF crColor, DWORD dwPercent);
    // Sets every pixel byte to byIndex.
    void Clear(BYTE byIndex = 0);
    // Sets the pixel at column x of row y, rows counted from the top of the picture; nothing outside it. For
    // pictures of 8 bits or fewer a pixel.
    void SetPixelIndex(DWORD dwX, DWORD dwY, BYTE byIndex);
    // Copies the picture to (x, y) of the DC. The DIB section and its memory DC are made on the first call and
    // kept until Create or Free.
    void Draw(HDC hDC, DWORD dwX, DWORD dwY);

  private:
    BITMAPINFOHEADER m_bi = {};
    std::unique_ptr<BYTE[]> m_pBlock;
    DWORD m_dwLineWidth = 0;
    WORD m_wColors = 0;
    CGdiObjectOwner<HBITMAP> m_hSection;
    CDCOwner m_hMemDC;
    HGDIOBJ m_hOldBitmap = nullptr;
    LPVOID m_pSectionBits = nullptr;

    RGBQUAD *Palette() const;
};
