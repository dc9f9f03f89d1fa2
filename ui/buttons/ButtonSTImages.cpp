// NewUI::CButtonST: its images (bitmaps with masks and colour copies, icons).
#include "ui/buttons/ButtonST.h"

#include <vector>

#include "platform/system/Handles.h"
#include "platform/system/Resources.h"

namespace NewUI
{

Seam<PFN_CREATE_MASK_BITMAP> g_pfnCreateMaskBitmap{&::CreateBitmap};

namespace
{

// A bitmap's pixels as 32-bit values (0x00RRGGBB), top row first.
class Pixels
{
  public:
    bool Read(HBITMAP bitmap, int width, int height)
    {
        m_width = width;
        m_height = height;
        m_values.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        BITMAPINFO info = Info();
        CWindowDCOwner screen(nullptr);
        return ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), m_values.data(), &info, DIB_RGB_COLORS) ==
               height;
    }
    bool Write(HBITMAP bitmap) const
    {
        BITMAPINFO info = Info();
        CWindowDCOwner screen(nullptr);
        return ::SetDIBits(screen, bitmap, 0, static_cast<UINT>(m_height), m_values.data(), &info, DIB_RGB_COLORS) ==
               m_height;
    }
    // A new bitmap, compatible with the screen, holding these pixels.
    HBITMAP Create() const
    {
        CWindowDCOwner screen(nullptr);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, m_width, m_height);
        if (bitmap != nullptr && !Write(bitmap))
        {
            ::DeleteObject(bitmap);
            return nullptr;
        }
        return bitmap;
    }
    COLORREF At(size_t i) const
    {
        const DWORD v = m_values[i];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    void Set(size_t i, COLORREF colour)
    {
        m_values[i] = (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8) |
                      GetBValue(colour);
    }
    size_t Count() const
    {
        return m_values.size();
    }
    int Width() const
    {
        return m_width;
    }
    int Height() const
    {
        return m_height;
    }

  private:
    BITMAPINFO Info() const
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return info;
    }

    int m_width = 0;
    int m_height = 0;
    std::vector<DWORD> m_values;
};

bool SizeOf(HBITMAP bitmap, int &width, int &height)
{
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) != sizeof(info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return false;
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
}

// The mask (1 where the source has the key colour); the source's key pixels turn black.
HBITMAP MakeMask(HBITMAP source, int width, int height, COLORREF key)
{
    Pixels pixels;
    if (!pixels.Read(source, width, height))
        return nullptr;
    // Monochrome rows are padded to whole 16-bit words.
    const size_t stride = static_cast<size_t>((width + 15) / 16) * 2;
    std::vector<BYTE> bits(stride * static_cast<size_t>(height), 0);
    bool anyKey = false;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            if (pixels.At(i) != key)
                continue;
            bits[static_cast<size_t>(y) * stride + static_cast<size_t>(x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
            pixels.Set(i, RGB(0, 0, 0));
            anyKey = true;
        }
    }
    HBITMAP mask = g_pfnCreateMaskBitmap(width, height, 1, 1, bits.data());
    if (mask == nullptr)
        return nullptr;
    if (anyKey && !pixels.Write(source))
    {
        ::DeleteObject(mask);
        return nullptr;
    }
    return mask;
}

// A copy of the source with every pixel other than the key recoloured.
template <class Recolour> HBITMAP MakeCopy(HBITMAP source, int width, int height, COLORREF key, Recolour recolour)
{
    Pixels pixels;
    if (!pixels.Read(source, width, height))
        return nullptr;
    for (size_t i = 0; i < pixels.Count(); ++i)
    {
        const COLORREF colour = pixels.At(i);
        if (colour != key)
            pixels.Set(i, recolour(colour));
    }
    return pixels.Create();
}

HICON LoadIconResource(int id, int &width, int &height)
{
    if (id <= 0 || id > 0xFFFF)
        return nullptr;
    LPCWSTR name = MAKEINTRESOURCEW(id);
    HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
    // Width and height 0 without LR_DEFAULTSIZE: the icon's own size.
    HICON icon = static_cast<HICON>(::LoadImageW(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    if (icon == nullptr)
        return nullptr;
    width = height = 0;
    ICONINFO info = {};
    if (::GetIconInfo(icon, &info))
    {
        CGdiObjectOwner<HBITMAP> colour(info.hbmColor);
        CGdiObjectOwner<HBITMAP> mask(info.hbmMask);
        BITMAP bitmap = {};
        if (colour.IsValid() && ::GetObjectW(colour, sizeof(bitmap), &bitmap) == sizeof(bitmap))
        {
            width = bitmap.bmWidth;
            height = bitmap.bmHeight;
        }
        else if (mask.IsValid() && ::GetObjectW(mask, sizeof(bitmap), &bitmap) == sizeof(bitmap))
        {
            // A monochrome icon: its mask holds the AND and the XOR halves one above the other.
            width = bitmap.bmWidth;
            height = bitmap.bmHeight / 2;
        }
    }
    return icon;
}

} // namespace

namespace buttonst
{

COLORREF GreyOf(COLORREF colour)
{
    // 0.299 R + 0.587 G + 0.114 B, truncated, in whole numbers.
    const int grey = (299 * GetRValue(colour) + 587 * GetGValue(colour) + 114 * GetBValue(colour)) / 1000;
    return RGB(grey, grey, grey);
}

COLORREF DarkerOf(COLORREF colour)
{
    auto darker = [](int channel) { return channel - channel / 4; };
    return RGB(darker(GetRValue(colour)), darker(GetGValue(colour)), darker(GetBValue(colour)));
}

} // namespace buttonst

void CButtonST::FreeImages()
{
    for (ImageRecord &image : m_images)
    {
        if (image.bitmap != nullptr)
            ::DeleteObject(image.bitmap);
        if (image.mask != nullptr)
            ::DeleteObject(image.mask);
        image = ImageRecord();
    }
}

void CButtonST::FreeIcons()
{
    for (IconRecord &icon : m_icons)
    {
        if (icon.icon != nullptr)
            ::DestroyIcon(icon.icon);
        icon = IconRecord();
    }
}

DWORD CButtonST::SetBitmaps(HBITMAP hBitmapIn, COLORREF crTransIn, HBITMAP hBitmapOut, COLORREF crTransOut)
{
    FreeIcons();
    FreeImages();
    const bool greyCopy = hBitmapOut == AutoGreyBitmap();
    const bool darkerCopy = hBitmapOut == AutoDarkerBitmap();
    const bool copy = greyCopy || darkerCopy;
    // Given handles are ours from here on, also when they turn out unusable.
    ImageRecord &in = m_images[IMAGE_IN];
    ImageRecord &out = m_images[IMAGE_OUT];
    in.bitmap = hBitmapIn;
    if (!copy && hBitmapOut != hBitmapIn)
        out.bitmap = hBitmapOut;
    if (hBitmapIn == nullptr)
    {
        Repaint();
        return BUTTON_IMAGES_OK;
    }
    if (!SizeOf(hBitmapIn, in.width, in.height))
    {
        FreeImages();
        return BUTTON_IMAGES_NO_SIZE;
    }
    in.key = crTransIn;
    if (copy)
    {
        if (greyCopy)
            out.bitmap = MakeCopy(hBitmapIn, in.width, in.height, crTransIn, buttonst::GreyOf);
        else
            out.bitmap = MakeCopy(hBitmapIn, in.width, in.height, crTransIn, buttonst::DarkerOf);
        if (out.bitmap == nullptr)
        {
            FreeImages();
            return BUTTON_IMAGES_NO_MASK;
        }
        crTransOut = crTransIn;
    }
    in.mask = MakeMask(hBitmapIn, in.width, in.height, crTransIn);
    if (in.mask == nullptr)
    {
        FreeImages();
        return BUTTON_IMAGES_NO_MASK;
    }
    if (out.bitmap != nullptr)
    {
        if (!SizeOf(out.bitmap, out.width, out.height))
        {
            FreeImages();
            return BUTTON_IMAGES_NO_SIZE;
        }
        out.key = crTransOut;
        out.mask = MakeMask(out.bitmap, out.width, out.height, crTransOut);
        if (out.mask == nullptr)
        {
            FreeImages();
            return BUTTON_IMAGES_NO_MASK;
        }
    }
    Repaint();
    return BUTTON_IMAGES_OK;
}

DWORD CButtonST::SetBitmapsFromResource(int nIdIn, COLORREF crTransIn, int nIdOut, COLORREF crTransOut)
{
    CBitmap in;
    if (nIdIn > 0)
        in.LoadBitmap(static_cast<UINT>(nIdIn));
    HBITMAP out = nullptr;
    if (nIdOut == -2)
    {
        out = AutoGreyBitmap();
    }
    else if (nIdOut == -3)
    {
        out = AutoDarkerBitmap();
    }
    else if (nIdOut > 0)
    {
        CBitmap loaded;
        if (loaded.LoadBitmap(static_cast<UINT>(nIdOut)))
            out = static_cast<HBITMAP>(loaded.Detach());
    }
    return SetBitmaps(static_cast<HBITMAP>(in.Detach()), crTransIn, out, crTransOut);
}

DWORD CButtonST::SetIcon(int nIdIn, int nIdOut)
{
    FreeImages();
    FreeIcons();
    IconRecord &in = m_icons[IMAGE_IN];
    in.icon = LoadIconResource(nIdIn, in.width, in.height);
    if (in.icon == nullptr)
    {
        Repaint();
        return 1;
    }
    IconRecord &out = m_icons[IMAGE_OUT];
    out.icon = LoadIconResource(nIdOut, out.width, out.height);
    Repaint();
    return 0;
}

} // namespace NewUI
