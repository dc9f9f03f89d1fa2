// Helpers for tests that look at pictures through GDI+ (a session has to be running).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

namespace testsupport
{

// The class id of GDI+'s PNG encoder; false when GDI+ offers none.
bool PngEncoder(CLSID &clsid);

// Saves the pixels of a 32-bit DIB section (width x height, rows top-down or bottom-up) as a PNG file; false
// when that failed. The section may stay selected into a DC: GDI+ reads the pixels, not the bitmap.
bool SaveSectionAsPng(const void *pBits, int nWidth, int nHeight, bool bTopDown, const std::wstring &path);

// A 32-bit top-down DIB section of width x height selected into a memory DC of its own, filled with one
// colour: the surface that drawing tests paint on and read back.
class DibCanvas
{
  public:
    DibCanvas(int width, int height, COLORREF fill);
    ~DibCanvas();
    DibCanvas(const DibCanvas &) = delete;
    DibCanvas &operator=(const DibCanvas &) = delete;

    HDC Dc() const
    {
        return m_dc;
    }
    int Width() const
    {
        return m_width;
    }
    int Height() const
    {
        return m_height;
    }
    void Fill(COLORREF colour);
    void Fill(const RECT &rect, COLORREF colour);
    // The pixel, read from the section's memory (black outside the canvas).
    COLORREF At(int x, int y) const;
    // How many pixels of the rectangle have the colour.
    int Count(const RECT &rect, COLORREF colour) const;
    bool SavePng(const std::wstring &path) const;

  private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    void *m_bits = nullptr;
    int m_width;
    int m_height;
};

// The window as it shows on the screen, saved as a PNG file; false when that failed. The window goes on top of
// the other tests' windows while it is captured, and the thread's messages are dispatched for a second first:
// Wine draws the children of a window only on the screen, so the picture is taken from there once every paint
// has gone through.
bool SaveWindowPng(HWND window, const std::wstring &path);

} // namespace testsupport
