#include "ui/skin/SkinProgressBar.h"

#include "ui/skin/SkinGlobals.h"

namespace
{

// floor(part * factor / whole) for part <= whole, whole > 0, exact for every 64-bit value: the product is built
// bit by bit as a quotient and a remainder below whole, so nothing ever overflows.
ULONGLONG ScaleBy(ULONGLONG part, ULONGLONG factor, ULONGLONG whole)
{
    ULONGLONG quotient = 0;
    ULONGLONG remainder = 0;
    for (int bit = 63; bit >= 0; --bit)
    {
        quotient <<= 1;
        if (remainder >= whole - remainder)
        {
            remainder -= whole - remainder;
            ++quotient;
        }
        else
        {
            remainder += remainder;
        }
        if ((factor >> bit) & 1)
        {
            if (remainder >= whole - part)
            {
                remainder -= whole - part;
                ++quotient;
            }
            else
            {
                remainder += part;
            }
        }
    }
    return quotient;
}

ULONGLONG Share(ULONGLONG factor, ULONGLONG pos, ULONGLONG max)
{
    if (max == 0)
        return 0;
    if (pos > max)
        pos = max;
    return ScaleBy(pos, factor, max);
}

void DrawStretched(Gdiplus::Graphics &graphics, Gdiplus::Image *image, const Gdiplus::Rect &target, int sourceWidth,
                   int sourceHeight)
{
    // Mirrored edges keep the stretched image from fading into transparency at its borders.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.DrawImage(image, target, 0, 0, sourceWidth, sourceHeight, Gdiplus::UnitPixel, &attributes);
}

} // namespace

int SkinProgressPercent(ULONGLONG pos, ULONGLONG max)
{
    return static_cast<int>(Share(100, pos, max));
}

int SkinProgressShare(int length, ULONGLONG pos, ULONGLONG max)
{
    if (length <= 0)
        return 0;
    return static_cast<int>(Share(static_cast<ULONGLONG>(length), pos, max));
}

CString SkinProgressText(ULONGLONG pos, ULONGLONG max)
{
    CString text;
    text.Format(L"%d%%", SkinProgressPercent(pos, max));
    return text;
}

void DrawSkinProgressBar(Gdiplus::Graphics &graphics, const RECT &rect, ULONGLONG pos, ULONGLONG max)
{
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;

    Gdiplus::Image *empty = g_skinBarImages[SKIN_BAR_EMPTY];
    if (IsSkinImageValid(empty))
        DrawStretched(graphics, empty, Gdiplus::Rect(rect.left, rect.top, width, height),
                      static_cast<int>(empty->GetWidth()), static_cast<int>(empty->GetHeight()));

    Gdiplus::Image *used = g_skinBarImages[SKIN_BAR_USED];
    int usedWidth = SkinProgressShare(width, pos, max);
    if (usedWidth > 0 && IsSkinImageValid(used))
    {
        int sourceWidth = SkinProgressShare(static_cast<int>(used->GetWidth()), pos, max);
        if (sourceWidth < 1)
            sourceWidth = 1;
        DrawStretched(graphics, used, Gdiplus::Rect(rect.left, rect.top, usedWidth, height), sourceWidth,
                      static_cast<int>(used->GetHeight()));
    }

    CString text = SkinProgressText(pos, max);
    std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(L"Tahoma", 8, Gdiplus::FontStyleBold);
    if (!font)
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    Gdiplus::RectF box(static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
                       static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
    graphics.DrawString(text, text.GetLength(), font.get(), box, &format, &black);
}
