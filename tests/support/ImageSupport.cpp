#include "support/ImageSupport.h"

#include <vector>

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

} // namespace testsupport
