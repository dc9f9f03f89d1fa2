#include "support/ImageSupport.h"

#include <vector>

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiPlusSession.h"
#include "platform/system/Handles.h"

namespace testsupport
{

bool PngEncoder(CLSID &clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto *encoders = reinterpret_cast<Gdiplus::ImageCodecInfo *>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
    {
        if (::lstrcmpiW(encoders[i].MimeType, L"image/png") == 0)
        {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SaveSectionAsPng(const void *pBits, int nWidth, int nHeight, bool bTopDown, const std::wstring &path)
{
    CLSID png;
    if (pBits == nullptr || nWidth <= 0 || nHeight <= 0 || !PngEncoder(png))
        return false;
    GdiFlush();
    const int stride = nWidth * 4;
    // A bottom-up section is read from its last row with a negative stride.
    BYTE *first = static_cast<BYTE *>(const_cast<void *>(pBits));
    if (!bTopDown)
        first += static_cast<size_t>(stride) * static_cast<size_t>(nHeight - 1);
    Gdiplus::Bitmap bitmap(nWidth, nHeight, bTopDown ? stride : -stride, PixelFormat32bppRGB, first);
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

DibCanvas::DibCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    m_previous = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

DibCanvas::~DibCanvas()
{
    ::SelectObject(m_dc, m_previous);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void DibCanvas::Fill(COLORREF colour)
{
    Fill(RECT{0, 0, m_width, m_height}, colour);
}

void DibCanvas::Fill(const RECT &rect, COLORREF colour)
{
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(m_dc, &rect, brush);
    ::DeleteObject(brush);
}

COLORREF DibCanvas::At(int x, int y) const
{
    if (m_bits == nullptr || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return RGB(0, 0, 0);
    ::GdiFlush();
    const DWORD pixel = static_cast<const DWORD *>(m_bits)[static_cast<size_t>(y) * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int DibCanvas::Count(const RECT &rect, COLORREF colour) const
{
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
    {
        for (int x = rect.left; x < rect.right; ++x)
        {
            if (At(x, y) == colour)
                ++count;
        }
    }
    return count;
}

bool DibCanvas::SavePng(const std::wstring &path) const
{
    return SaveSectionAsPng(m_bits, m_width, m_height, true, path);
}

bool SaveWindowPng(HWND window, const std::wstring &path)
{
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (const DWORD until = ::GetTickCount() + 1000; ::GetTickCount() < until; ::Sleep(20))
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    bool saved = false;
    if (width > 0 && height > 0)
    {
        CGdiPlusSession gdiplus;
        HDC screen = ::GetDC(nullptr);
        CDCOwner memory(::CreateCompatibleDC(screen));
        CGdiObjectOwner<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, width, height));
        if (memory.IsValid() && bitmap.IsValid())
        {
            CSelectObjectGuard selected(memory, bitmap);
            ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        }
        ::ReleaseDC(nullptr, screen);
        CLSID png;
        if (bitmap.IsValid() && PngEncoder(png))
        {
            Gdiplus::Bitmap image(bitmap, nullptr);
            saved = image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
        }
    }
    ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return saved;
}

} // namespace testsupport
