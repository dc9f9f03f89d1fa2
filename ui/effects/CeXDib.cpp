#include "ui/effects/CeXDib.h"

#include <cstring>
#include <utility>
#include <new>

namespace
{

WORD PaletteEntries(WORD wBitCount)
{
    switch (wBitCount)
    {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

// A picture larger than this is refused: the block and the DIB section must stay well inside what GDI takes.
const ULONGLONG kMaxImageBytes = 256ULL * 1024 * 1024;

} // namespace

CCeXDib::CCeXDib() = default;

CCeXDib::~CCeXDib()
{
    Free();
}

LPVOID CCeXDib::Create(DWORD dwWidth, DWORD dwHeight, WORD wBitCount)
{
    Free();
    if (dwWidth == 0 || dwHeight == 0 || dwWidth > 0x7FFFFFFF || dwHeight > 0x7FFFFFFF)
        return nullptr;
    if (wBitCount != 1 && wBitCount != 4 && wBitCount != 8 && wBitCount != 24)
        return nullptr;

    const ULONGLONG lineWidth = ((static_cast<ULONGLONG>(wBitCount) * dwWidth + 31) / 8) & ~3ULL;
    const ULONGLONG imageSize = lineWidth * dwHeight;
    const WORD wColors = PaletteEntries(wBitCount);
    const ULONGLONG blockSize = sizeof(BITMAPINFOHEADER) + wColors * sizeof(RGBQUAD) + imageSize;
    if (imageSize > kMaxImageBytes)
        return nullptr;

    m_pBlock.reset(new (std::nothrow) BYTE[static_cast<size_t>(blockSize)]);
    if (!m_pBlock)
        return nullptr;
    std::memset(m_pBlock.get(), 0, static_cast<size_t>(blockSize));

    m_dwLineWidth = static_cast<DWORD>(lineWidth);
    m_wColors = wColors;
    m_bi.biSize = sizeof(BITMAPINFOHEADER);
    m_bi.biWidth = static_cast<LONG>(dwWidth);
    m_bi.biHeight = static_cast<LONG>(dwHeight);
    m_bi.biPlanes = 1;
    m_bi.biBitCount = wBitCount;
    m_bi.biCompression = BI_RGB;
    m_bi.biSizeImage = static_cast<DWORD>(imageSize);
    std::memcpy(m_pBlock.get(), &m_bi, sizeof(m_bi));
    return m_pBlock.get();
}

void CCeXDib::Free()
{
    if (m_hMemDC.IsValid() && m_hOldBitmap != nullptr)
        ::SelectObject(m_hMemDC, m_hOldBitmap);
    m_hOldBitmap = nullptr;
    m_hMemDC.Close();
    m_hSection.Close();
    m_pSectionBits = nullptr;
    m_pBlock.reset();
    m_bi = {};
    m_dwLineWidth = 0;
    m_wColors = 0;
}

RGBQUAD *CCeXDib::Palette() const
{
    if (!m_pBlock)
        return nullptr;
    return reinterpret_cast<RGBQUAD *>(m_pBlock.get() + sizeof(BITMAPINFOHEADER));
}

LPBYTE CCeXDib::GetBits() const
{
    if (!m_pBlock)
        return nullptr;
    return m_pBlock.get() + sizeof(BITMAPINFOHEADER) + m_wColors * sizeof(RGBQUAD);
}

COLORREF CCeXDib::GetPaletteColor(int nIndex) const
{
    if (!m_pBlock || nIndex < 0 || nIndex >= m_wColors)
        return 0;
    const RGBQUAD &entry = Palette()[nIndex];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

void CCeXDib::SetPaletteIndex(BYTE byIndex, BYTE byRed, BYTE byGreen, BYTE byBlue)
{
    if (!m_pBlock || byIndex >= m_wColors)
        return;
    RGBQUAD &entry = Palette()[byIndex];
    entry.rgbBlue = byBlue;
    entry.rgbGreen = byGreen;
    entry.rgbRed = byRed;
    entry.rgbReserved = 0;
}

void CCeXDib::BlendPalette(COLORREF crColor, DWORD dwPercent)
{
    if (!m_pBlock || m_wColors == 0)
        return;
    if (dwPercent > 100)
        dwPercent = 100;
    const DWORD keep = 100 - dwPercent;
    RGBQUAD *palette = Palette();
    for (WORD i = 0; i < m_wColors; ++i)
    {
        palette[i].rgbBlue = static_cast<BYTE>((palette[i].rgbBlue * keep + GetBValue(crColor) * dwPercent) / 100);
        palette[i].rgbGreen = static_cast<BYTE>((palette[i].rgbGreen * keep + GetGValue(crColor) * dwPercent) / 100);
        palette[i].rgbRed = static_cast<BYTE>((palette[i].rgbRed * keep + GetRValue(crColor) * dwPercent) / 100);
    }
}

void CCeXDib::Clear(BYTE byIndex)
{
    LPBYTE bits = GetBits();
    if (bits != nullptr)
        std::memset(bits, byIndex, m_bi.biSizeImage);
}

void CCeXDib::SetPixelIndex(DWORD dwX, DWORD dwY, BYTE byIndex)
{
    LPBYTE bits = GetBits();
    if (bits == nullptr || m_wColors == 0 || dwX >= GetWidth() || dwY >= GetHeight())
        return;
    const size_t row = GetHeight() - dwY - 1;
    LPBYTE line = bits + row * m_dwLineWidth;
    switch (m_bi.biBitCount)
    {
    case 8:
        line[dwX] = byIndex;
        break;
    case 4: {
        const BYTE shift = (dwX & 1) ? 0 : 4;
        BYTE &cell = line[dwX / 2];
        cell = static_cast<BYTE>((cell & ~(0x0F << shift)) | ((byIndex & 0x0F) << shift));
        break;
    }
    case 1: {
        const BYTE mask = static_cast<BYTE>(0x80 >> (dwX & 7));
        BYTE &cell = line[dwX / 8];
        cell = static_cast<BYTE>((byIndex & 1) ? (cell | mask) : (cell & ~mask));
        break;
    }
    default:
        break;
    }
}

void CCeXDib::Draw(HDC hDC, DWORD dwX, DWORD dwY)
{
    LPBYTE bits = GetBits();
    if (bits == nullptr || hDC == nullptr)
        return;
    if (!m_hSection.IsValid())
    {
        CDCOwner memDC(::CreateCompatibleDC(hDC));
        if (!memDC.IsValid())
            return;
        void *pSectionBits = nullptr;
        CGdiObjectOwner<HBITMAP> section(::CreateDIBSection(hDC, reinterpret_cast<BITMAPINFO *>(m_pBlock.get()),
                                                            DIB_RGB_COLORS, &pSectionBits, nullptr, 0));
        if (!section.IsValid() || pSectionBits == nullptr)
            return;
        m_hOldBitmap = ::SelectObject(memDC, section);
        m_hMemDC = std::move(memDC);
        m_hSection = std::move(section);
        m_pSectionBits = pSectionBits;
    }
    ::GdiFlush();
    std::memcpy(m_pSectionBits, bits, m_bi.biSizeImage);
    // The section was made with the palette of the moment; the palette may have changed since.
    if (m_wColors != 0)
        ::SetDIBColorTable(m_hMemDC, 0, m_wColors, Palette());
    ::BitBlt(hDC, static_cast<int>(dwX), static_cast<int>(dwY), m_bi.biWidth, m_bi.biHeight, m_hMemDC, 0, 0, SRCCOPY);
}
