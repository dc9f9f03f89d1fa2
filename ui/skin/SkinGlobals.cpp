#include "ui/skin/SkinGlobals.h"

#include "platform/drawing/Dc.h"
#include "platform/system/Handles.h"

CString g_strSkinFolder;
Gdiplus::Image *g_skinImages[SKIN_IMAGE_COUNT] = {};
Gdiplus::Image *g_skinBarImages[SKIN_BAR_IMAGE_COUNT] = {};
Gdiplus::Image *g_mainSkinImages[MAIN_SKIN_IMAGE_COUNT] = {};

namespace
{

const LPCWSTR kSkinImageNames[SKIN_IMAGE_COUNT] = {
    L"backup.png",  L"Restore.png", L"Cancel.png",        L"help_4.png",
    L"close_4.png", L"min_4.png",   L"brenmark_logo.png", L"Orvane_Logo.png",
};
const LPCWSTR kSkinBarImageNames[SKIN_BAR_IMAGE_COUNT] = {L"progress_empty.png", L"progress_used.png"};
const LPCWSTR kMainSkinImageNames[MAIN_SKIN_IMAGE_COUNT] = {
    L"main.png",   L"restoreoptionswtext.png", L"restoreezblank.png", L"restoreadv.png",
    L"sd5_01.png", L"bottom1+11.png",          L"bottom1+2.png",      L"bottom2+2.png",
};

Gdiplus::Image *LoadImageFile(const CString &folder, LPCWSTR name)
{
    CString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\' && path[path.GetLength() - 1] != L'/')
        path += L'\\';
    path += name;
    // GDI+'s own allocator gives null rather than throwing; a missing file still yields an object.
    return new Gdiplus::Image(path);
}

void FreeSlots(Gdiplus::Image **slots, int count)
{
    for (int i = 0; i < count; ++i)
    {
        delete slots[i];
        slots[i] = nullptr;
    }
}

} // namespace

LPCWSTR SkinImageFileName(SkinImageSlot slot)
{
    return slot >= 0 && slot < SKIN_IMAGE_COUNT ? kSkinImageNames[slot] : L"";
}

LPCWSTR SkinBarImageFileName(SkinBarImageSlot slot)
{
    return slot >= 0 && slot < SKIN_BAR_IMAGE_COUNT ? kSkinBarImageNames[slot] : L"";
}

LPCWSTR MainSkinImageFileName(MainSkinImageSlot slot)
{
    return slot >= 0 && slot < MAIN_SKIN_IMAGE_COUNT ? kMainSkinImageNames[slot] : L"";
}

void LoadSharedSkinImages(const CString &folder)
{
    FreeSharedSkinImages();
    for (int i = 0; i < SKIN_IMAGE_COUNT; ++i)
        g_skinImages[i] = LoadImageFile(folder, kSkinImageNames[i]);
    for (int i = 0; i < SKIN_BAR_IMAGE_COUNT; ++i)
        g_skinBarImages[i] = LoadImageFile(folder, kSkinBarImageNames[i]);
}

void FreeSharedSkinImages()
{
    FreeSlots(g_skinImages, SKIN_IMAGE_COUNT);
    FreeSlots(g_skinBarImages, SKIN_BAR_IMAGE_COUNT);
}

void LoadMainSkinImages(const CString &folder)
{
    FreeMainSkinImages();
    for (int i = 0; i < MAIN_SKIN_IMAGE_COUNT; ++i)
        g_mainSkinImages[i] = LoadImageFile(folder, kMainSkinImageNames[i]);
}

void FreeMainSkinImages()
{
    FreeSlots(g_mainSkinImages, MAIN_SKIN_IMAGE_COUNT);
}

bool IsSkinImageValid(Gdiplus::Image *image)
{
    // Not GetLastStatus: reading it clears it, so a failed image would pass the second time it is asked.
    return image && image->GetWidth() > 0 && image->GetHeight() > 0;
}

std::unique_ptr<Gdiplus::Font> CreateSkinFont(LPCWSTR face, Gdiplus::REAL points, INT style)
{
    std::unique_ptr<Gdiplus::Font> font(new Gdiplus::Font(face, points, style, Gdiplus::UnitPoint));
    if (font && font->IsAvailable())
        return font;

    CDCOwner dc(CreateCompatibleDC(nullptr));
    if (!dc.IsValid())
        return nullptr;
    LOGFONTW logFont = {};
    logFont.lfHeight = -MulDiv(static_cast<int>(points * 100 + 0.5f), GetDeviceCaps(dc, LOGPIXELSY), 7200);
    logFont.lfWeight = (style & Gdiplus::FontStyleBold) ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = (style & Gdiplus::FontStyleItalic) ? TRUE : FALSE;
    logFont.lfUnderline = (style & Gdiplus::FontStyleUnderline) ? TRUE : FALSE;
    logFont.lfStrikeOut = (style & Gdiplus::FontStyleStrikeout) ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(logFont.lfFaceName, face ? face : L"", LF_FACESIZE);
    // Taken from the DC, the font is the one GDI actually selected, not the name that was asked for.
    CGdiObjectOwner<HFONT> gdiFont(CreateFontIndirectW(&logFont));
    if (gdiFont.IsValid())
    {
        CSelectObjectGuard selected(dc, gdiFont);
        font.reset(new Gdiplus::Font(dc));
    }
    if (font && font->IsAvailable())
        return font;
    return nullptr;
}
