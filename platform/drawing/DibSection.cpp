#include "platform/drawing/DibSection.h"

#include <utility>

CDibSection::~CDibSection()
{
    Free();
}

bool CDibSection::Create(int nWidth, int nHeight, bool bTopDown, HDC hCompatibleDC)
{
    Free();
    if (nWidth <= 0 || nHeight <= 0)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = bTopDown ? -nHeight : nHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CDCOwner dc(::CreateCompatibleDC(hCompatibleDC));
    if (!dc.IsValid())
        return false;
    void *pBits = nullptr;
    CGdiObjectOwner<HBITMAP> bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bitmap.IsValid() || pBits == nullptr)
        return false;
    m_hPrevious = ::SelectObject(dc, bitmap);
    m_hDC = std::move(dc);
    m_hBitmap = std::move(bitmap);
    m_pBits = static_cast<DWORD *>(pBits);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    return true;
}

void CDibSection::Free()
{
    if (m_hDC.IsValid() && m_hPrevious != nullptr)
        ::SelectObject(m_hDC, m_hPrevious);
    m_hPrevious = nullptr;
    m_hDC.Close();
    m_hBitmap.Close();
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
}

DWORD *CDibSection::GetBits() const
{
    if (m_pBits != nullptr)
        ::GdiFlush();
    return m_pBits;
}

HBITMAP CDibSection::Detach()
{
    if (m_hDC.IsValid() && m_hPrevious != nullptr)
        ::SelectObject(m_hDC, m_hPrevious);
    m_hPrevious = nullptr;
    m_hDC.Close();
    HBITMAP hBitmap = m_hBitmap.Detach();
    m_pBits = nullptr;
    m_nWidth = 0;
    m_nHeight = 0;
    return hBitmap;
}
