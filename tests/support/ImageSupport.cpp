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

bool SaveSectionPng(const void *bits, int width, int height, const std::wstring &path)
{
    CLSID png;
    if (bits == nullptr || width <= 0 || height <= 0 || !PngEncoder(png))
        return false;
    ::GdiFlush();
    Gdiplus::Bitmap bitmap(width, height, width * 4, PixelFormat32bppRGB,
                           static_cast<BYTE *>(const_cast<void *>(bits)));
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace testsupport
