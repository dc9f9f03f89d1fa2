// A 32-bit DIB section selected into a memory DC of its own: the canvas for pixel work (image effects, blends,
// shades) and for drawing that is read back. Pixels are 0xAARRGGBB values, rows bottom-up unless made top-down.
#pragma once
#include <windows.h>

#include "platform/system/Handles.h"

class CDibSection
{
  public:
    CDibSection() = default;
    ~CDibSection();
    CDibSection(const CDibSection &) = delete;
    CDibSection &operator=(const CDibSection &) = delete;

    // Frees what the object held, then makes a width x height section (both above 0) and a memory DC compatible
    // with hCompatibleDC (the screen when null) with the section selected. False, holding nothing, on failure.
    bool Create(int nWidth, int nHeight, bool bTopDown = false, HDC hCompatibleDC = nullptr);
    void Free();

    bool IsValid() const
    {
        return m_hBitmap.IsValid();
    }
    HDC GetDC() const
    {
        return m_hDC.Get();
    }
    HBITMAP GetBitmap() const
    {
        return m_hBitmap.Get();
    }
    int GetWidth() const
    {
        return m_nWidth;
    }
    int GetHeight() const
    {
        return m_nHeight;
    }
    // The pixels after GDI has finished drawing on them (GdiFlush); null when the object holds no section.
    DWORD *GetBits() const;
    // The pixel in column x of the memory row y (row 0 is the first in memory: the bottom row of a bottom-up
    // section, the top row of a top-down one). No bounds check.
    DWORD &At(int x, int nMemoryRow) const
    {
        return m_pBits[static_cast<size_t>(nMemoryRow) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
    }
    // Gives up the section: deselects it, deletes the DC and returns the bitmap, which the caller now owns.
    HBITMAP Detach();

  private:
    CGdiObjectOwner<HBITMAP> m_hBitmap;
    CDCOwner m_hDC;
    HGDIOBJ m_hPrevious = nullptr;
    DWORD *m_pBits = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
};
