// Image routines: effects on 32-bit copies, colour arithmetic, blends, shades, tiles and image strips.
#include "EffectsTestSupport.h"

#include "platform/system/Handles.h"
#include "ui/effects/PPDrawManager.h"

#include <gtest/gtest.h>

#include <vector>

using namespace effectstest;

namespace
{

const COLORREF kMarker = RGB(1, 2, 3);

// A bottom-up 32-bit section holding the pixels (0xAARRGGBB, first the bottom row).
HBITMAP MakeBitmap(int width, int height, const std::vector<DWORD> &pixels)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr)
        memcpy(bits, pixels.data(), pixels.size() * sizeof(DWORD));
    return bitmap;
}

std::vector<DWORD> Pixels(HBITMAP section, size_t count)
{
    DIBSECTION info = {};
    if (section == nullptr || GetObjectW(section, sizeof(info), &info) != sizeof(info) || info.dsBm.bmBits == nullptr)
        return {};
    GdiFlush();
    const DWORD *bits = static_cast<const DWORD *>(info.dsBm.bmBits);
    return std::vector<DWORD>(bits, bits + count);
}

class ImageEffects : public testing::Test
{
  protected:
    CPPDrawManager m_manager;
};

} // namespace

TEST_F(ImageEffects, EffectsApplyToEveryPixelButTheTransparentOnes)
{
    // Bottom row: red, dark grey; top row: a blue with alpha, white.
    const std::vector<DWORD> source = {0x00FF0000, 0x00646464, 0x800000FF, 0x00FFFFFF};
    CGdiObjectOwner<HBITMAP> bitmap(MakeBitmap(2, 2, source));
    ASSERT_TRUE(bitmap.IsValid());
    const COLORREF mono = RGB(0x12, 0x34, 0x56);
    struct Case
    {
        DWORD flags;
        BOOL transparent;
        std::vector<DWORD> expected;
    } cases[] = {
        {0, FALSE, {0x00FF0000, 0x00646464, 0x800000FF, 0x00FFFFFF}},
        {PPIE_GRAY, FALSE, {0x004C4C4C, 0x00646464, 0x801D1D1D, 0x00FFFFFF}},
        {PPIE_DARKEN, FALSE, {0x00BF0000, 0x004B4B4B, 0x800000BF, 0x00BFBFBF}},
        {PPIE_LIGHTEN, FALSE, {0x00FF0000, 0x007D7D7D, 0x800000FF, 0x00FFFFFF}},
        {PPIE_MONOCHROME, FALSE, {0x00123456, 0x00123456, 0x80123456, 0x00123456}},
        {PPIE_INVERT, FALSE, {0x0000FFFF, 0x009B9B9B, 0x80FFFF00, 0x00000000}},
        {PPIE_GRAY | PPIE_DARKEN, FALSE, {0x00393939, 0x004B4B4B, 0x80151515, 0x00BFBFBF}},
        // The transparent colour (red) becomes 0; compared by colour only, so the blue with alpha is
        // transparent when blue is asked for.
        {0, TRUE, {0x00000000, 0x00646464, 0x800000FF, 0x00FFFFFF}},
        {PPIE_GRAY, TRUE, {0x00000000, 0x00646464, 0x801D1D1D, 0x00FFFFFF}},
        {PPIE_MONOCHROME, TRUE, {0x00000000, 0x00123456, 0x80123456, 0x00123456}},
        // Inverting turns the transparent pixels white: the mask of the image routines.
        {PPIE_MONOCHROME | PPIE_INVERT, TRUE, {0x00FFFFFF, 0x00EDCBA9, 0x80EDCBA9, 0x00EDCBA9}},
        {PPIE_INVERT, TRUE, {0x00FFFFFF, 0x009B9B9B, 0x80FFFF00, 0x00000000}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << "flags " << std::hex << c.flags << " transparent " << c.transparent);
        CGdiObjectOwner<HBITMAP> result(
            m_manager.CreateImageEffect(bitmap, 2, 2, c.flags, c.transparent, RGB(255, 0, 0), mono));
        ASSERT_TRUE(result.IsValid());
        EXPECT_EQ(Pixels(result, 4), c.expected);
        EXPECT_TRUE(m_manager.ImageHasAlpha());
    }

    CGdiObjectOwner<HBITMAP> blueMasked(m_manager.CreateImageEffect(bitmap, 2, 2, 0, TRUE, RGB(0, 0, 255), mono));
    EXPECT_EQ(Pixels(blueMasked, 4), (std::vector<DWORD>{0x00FF0000, 0x00646464, 0x00000000, 0x00FFFFFF}));

    CGdiObjectOwner<HBITMAP> opaque(MakeBitmap(1, 1, {0x00102030}));
    CGdiObjectOwner<HBITMAP> copy(m_manager.CreateImageEffect(opaque, 1, 1, 0, FALSE, 0, 0));
    EXPECT_FALSE(m_manager.ImageHasAlpha());
    EXPECT_EQ(m_manager.CreateImageEffect(nullptr, 2, 2, 0, FALSE, 0, 0), nullptr);
    EXPECT_EQ(m_manager.CreateImageEffect(bitmap, 0, 2, 0, FALSE, 0, 0), nullptr);
}

TEST_F(ImageEffects, ColourArithmeticStaysInItsRange)
{
    EXPECT_EQ(m_manager.GrayColor(0x00FF0000), RGB(76, 76, 76));
    EXPECT_EQ(m_manager.GrayColor(0x000000FF), RGB(29, 29, 29));
    EXPECT_EQ(m_manager.InvertColor(0xFF102030), 0x00EFDFCFu);
    EXPECT_EQ(m_manager.DarkenColor(RGB(200, 100, 9), 0.5), RGB(100, 50, 4));
    EXPECT_EQ(m_manager.DarkenColor(RGB(200, 100, 9), 1.0), RGB(200, 100, 9));
    EXPECT_EQ(m_manager.DarkenColor(RGB(200, 100, 9), -0.1), RGB(200, 100, 9));
    EXPECT_EQ(m_manager.DarkenColor(RGB(200, 100, 9), 0.0), RGB(0, 0, 0));
    EXPECT_EQ(m_manager.LightenColor(RGB(200, 100, 8), 0.5), RGB(255, 150, 12));
    EXPECT_EQ(m_manager.LightenColor(RGB(200, 100, 8), 0.0), RGB(200, 100, 8));
    EXPECT_EQ(m_manager.LightenColor(RGB(200, 100, 8), 1.5), RGB(200, 100, 8));
    EXPECT_EQ(m_manager.MixColors(RGB(100, 0, 255), 0.5, RGB(50, 200, 255), 0.5), RGB(75, 100, 255));
    EXPECT_EQ(m_manager.MixColors(RGB(200, 0, 0), 1.0, RGB(100, 0, 0), 1.0), RGB(44, 0, 0)) << "low 8 bits";
}

TEST_F(ImageEffects, AlphaBlitMixesSourceAndDestinationByThePercentage)
{
    CDibSection source;
    ASSERT_TRUE(MakeCanvas(source, 4, 4, RGB(0, 100, 200)));
    struct Case
    {
        int percent;
        COLORREF expected;
    } cases[] = {{0, RGB(255, 255, 255)}, {50, RGB(127, 177, 227)}, {100, RGB(0, 100, 200)}, {150, RGB(0, 100, 200)}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.percent);
        CDibSection dest;
        ASSERT_TRUE(MakeCanvas(dest, 6, 6, RGB(255, 255, 255)));
        m_manager.AlphaBlt(dest.GetDC(), 1, 1, 4, 4, source.GetDC(), 0, 0, c.percent);
        EXPECT_TRUE(EveryPixelIs(dest, RECT{1, 1, 5, 5}, c.expected));
        EXPECT_EQ(At(dest, 0, 0), RGB(255, 255, 255));
        EXPECT_EQ(At(dest, 5, 5), RGB(255, 255, 255));
    }
}

TEST_F(ImageEffects, ShadesDarkenByTheShadeAndLeaveWhiteAlone)
{
    // A shade image 21 x 21 of grey 127 in the middle 13 x 13, white around it.
    std::vector<DWORD> pixels(21 * 21, 0x00FFFFFF);
    for (int y = 4; y < 17; ++y)
        for (int x = 4; x < 17; ++x)
            pixels[y * 21 + x] = 0x007F7F7F;
    CGdiObjectOwner<HBITMAP> shade(MakeBitmap(21, 21, pixels));
    CGdiObjectOwner<HBITMAP> white(MakeBitmap(21, 21, std::vector<DWORD>(21 * 21, 0x00FFFFFF)));
    const COLORREF ground = RGB(200, 100, 50);
    const COLORREF darkened = RGB(99, 49, 24); // each channel x 127 / 255, truncated

    CDibSection hard;
    ASSERT_TRUE(MakeCanvas(hard, 24, 24, ground));
    m_manager.DrawShade(hard.GetDC(), 1, 1, 21, 21, shade, FALSE, 3, 3);
    EXPECT_TRUE(EveryPixelIs(hard, RECT{5, 5, 18, 18}, darkened));
    EXPECT_EQ(At(hard, 4, 4), ground) << "white leaves the destination alone";
    EXPECT_EQ(At(hard, 18, 11), ground);
    EXPECT_EQ(At(hard, 0, 0), ground);

    // Soft, with a box of 2 (made 3): the image is stretched into the section inset by the box, so the middle
    // keeps the full darkness while the edge of the grey fades toward the ground.
    CDibSection soft;
    ASSERT_TRUE(MakeCanvas(soft, 24, 24, ground));
    m_manager.DrawShade(soft.GetDC(), 1, 1, 21, 21, shade, TRUE, 2, 2);
    EXPECT_EQ(At(soft, 11, 11), darkened);
    int fading = 0;
    for (int x = 0; x < 24; ++x)
    {
        const BYTE red = GetRValue(At(soft, x, 11));
        EXPECT_GE(red, GetRValue(darkened));
        EXPECT_LE(red, GetRValue(ground));
        if (red > GetRValue(darkened) && red < GetRValue(ground))
            ++fading;
    }
    EXPECT_GE(fading, 2) << "the edge fades on both sides";
    EXPECT_EQ(At(soft, 1, 1), ground);
    EXPECT_EQ(At(soft, 0, 0), ground);

    for (BOOL soft2 : {FALSE, TRUE})
    {
        CDibSection canvas;
        ASSERT_TRUE(MakeCanvas(canvas, 24, 24, ground));
        m_manager.DrawShade(canvas.GetDC(), 1, 1, 21, 21, white, soft2, 3, 3);
        EXPECT_TRUE(EveryPixelIs(canvas, RECT{0, 0, 24, 24}, ground));
        // A box larger than the image is cut to it: no crash, nothing outside the place.
        m_manager.DrawShade(canvas.GetDC(), 1, 1, 21, 21, shade, soft2, 99, 40);
        EXPECT_EQ(At(canvas, 0, 0), ground);
        EXPECT_EQ(At(canvas, 23, 23), ground);
    }
}

TEST_F(ImageEffects, TilesRepeatAndClipAndEmptyTilesDrawNothing)
{
    CDibSection tile;
    ASSERT_TRUE(MakeCanvas(tile, 3, 2, RGB(0, 0, 0)));
    SetPixel(tile.GetDC(), 0, 0, RGB(255, 0, 0));
    SetPixel(tile.GetDC(), 2, 1, RGB(0, 0, 255));
    CDibSection canvas;
    ASSERT_TRUE(MakeCanvas(canvas, 10, 8, kMarker));
    const RECT rect = {1, 1, 8, 6};
    for (int size : {0, -3})
    {
        m_manager.TileBlt(canvas.GetDC(), &rect, tile.GetDC(), 0, 0, size, 2);
        m_manager.TileBlt(canvas.GetDC(), &rect, tile.GetDC(), 0, 0, 3, size);
    }
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{0, 0, 10, 8}, kMarker));

    m_manager.TileBlt(canvas.GetDC(), &rect, tile.GetDC(), 0, 0, 3, 2);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
        {
            SCOPED_TRACE(testing::Message() << x << ", " << y);
            if (x < 1 || x >= 8 || y < 1 || y >= 6)
                EXPECT_EQ(At(canvas, x, y), kMarker);
            else
                EXPECT_EQ(At(canvas, x, y), At(tile, (x - 1) % 3, (y - 1) % 2));
        }
}

TEST_F(ImageEffects, ImageStripsDrawOneCellOrNothing)
{
    // A strip of 3 x 2 cells of 2 x 2 pixels, each cell one colour: cell n has red n x 40.
    std::vector<DWORD> pixels(6 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
        {
            const int cell = (3 - y) / 2 * 3 + x / 2; // memory row 0 is the bottom
            pixels[y * 6 + x] = static_cast<DWORD>(cell * 40) << 16;
        }
    CGdiObjectOwner<HBITMAP> strip(MakeBitmap(6, 4, pixels));
    const CPPDrawManager::ShadeInfo noShade;

    CDibSection canvas;
    ASSERT_TRUE(MakeCanvas(canvas, 8, 8, kMarker));
    m_manager.DrawImageList(canvas.GetDC(), 0, 0, 4, 4, strip, 6, 2, 2, FALSE, 0, 0, noShade);
    m_manager.DrawImageList(canvas.GetDC(), 0, 0, 4, 4, strip, -1, 2, 2, FALSE, 0, 0, noShade);
    m_manager.DrawImageList(canvas.GetDC(), 0, 0, 4, 4, strip, 0, 0, 2, FALSE, 0, 0, noShade);
    m_manager.DrawImageList(canvas.GetDC(), 0, 0, 4, 4, strip, 0, 2, 0, FALSE, 0, 0, noShade);
    m_manager.DrawImageList(canvas.GetDC(), 0, 0, 4, 4, strip, 0, 7, 2, FALSE, 0, 0, noShade);
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{0, 0, 8, 8}, kMarker));

    m_manager.DrawImageList(canvas.GetDC(), 1, 1, 4, 4, strip, 4, 2, 2, FALSE, 0, 0, noShade);
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{1, 1, 5, 5}, RGB(160, 0, 0))) << "cell 4 stretched to 4 x 4";
    EXPECT_EQ(At(canvas, 0, 0), kMarker);
    EXPECT_EQ(At(canvas, 5, 5), kMarker);
}

TEST_F(ImageEffects, BitmapsKeepTheirTransparentPartsAndCastAShade)
{
    // 4 x 4: a green 2 x 2 square in the middle of magenta, which is transparent.
    std::vector<DWORD> pixels(16, 0x00FF00FF);
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x)
            pixels[y * 4 + x] = 0x0000C000;
    CGdiObjectOwner<HBITMAP> image(MakeBitmap(4, 4, pixels));
    const COLORREF ground = RGB(200, 200, 200);

    CDibSection plain;
    ASSERT_TRUE(MakeCanvas(plain, 12, 12, ground));
    m_manager.DrawBitmap(plain.GetDC(), 0, 0, 8, 8, image, TRUE, RGB(255, 0, 255), 0, CPPDrawManager::ShadeInfo());
    EXPECT_TRUE(EveryPixelIs(plain, RECT{2, 2, 6, 6}, RGB(0, 192, 0)));
    EXPECT_EQ(At(plain, 1, 1), ground);
    EXPECT_EQ(At(plain, 6, 6), ground);

    CPPDrawManager::ShadeInfo shade;
    shade.bShadow = TRUE;
    shade.nOffsetX = 2;
    shade.nOffsetY = 2;
    shade.nDepthX = 3;
    shade.nDepthY = 3;
    shade.crShadow = RGB(127, 127, 127);
    CDibSection shaded;
    ASSERT_TRUE(MakeCanvas(shaded, 12, 12, ground));
    m_manager.DrawBitmap(shaded.GetDC(), 0, 0, 8, 8, image, TRUE, RGB(255, 0, 255), PPIE_SHADOW | PPIE_GRAY, shade);
    const BYTE grey = static_cast<BYTE>(0.587 * 192);
    EXPECT_TRUE(EveryPixelIs(shaded, RECT{2, 2, 6, 6}, RGB(grey, grey, grey))) << "the image in grey";
    EXPECT_EQ(At(shaded, 7, 7), RGB(99, 99, 99)) << "the hard shade, moved by the offsets";
    EXPECT_EQ(At(shaded, 1, 1), ground);
    EXPECT_EQ(At(shaded, 9, 9), ground);

    // A shade asked for without a shade flag moves the image instead.
    CDibSection moved;
    ASSERT_TRUE(MakeCanvas(moved, 12, 12, ground));
    m_manager.DrawBitmap(moved.GetDC(), 0, 0, 8, 8, image, TRUE, RGB(255, 0, 255), 0, shade);
    EXPECT_TRUE(EveryPixelIs(moved, RECT{4, 4, 8, 8}, RGB(0, 192, 0)));
    EXPECT_EQ(At(moved, 3, 3), ground);
}

TEST_F(ImageEffects, IconsStretchAndDrawWithTheirMask)
{
    // A 16 x 16 icon: red, its left half transparent by the mask.
    std::vector<DWORD> colorPixels(16 * 16, 0x00FF0000);
    CGdiObjectOwner<HBITMAP> color(MakeBitmap(16, 16, colorPixels));
    std::vector<BYTE> maskBits(16 * 2);
    for (int row = 0; row < 16; ++row)
        maskBits[row * 2] = 0xFF; // the first 8 pixels of each row
    CGdiObjectOwner<HBITMAP> mask(CreateBitmap(16, 16, 1, 1, maskBits.data()));
    ICONINFO info = {TRUE, 8, 8, mask, color};
    CIconOwner icon(CreateIconIndirect(&info));
    ASSERT_TRUE(icon.IsValid());

    DWORD width = 0;
    DWORD height = 0;
    m_manager.GetIconSize(icon, &width, &height);
    EXPECT_EQ(width, 16u);
    EXPECT_EQ(height, 16u);
    CIconOwner large(m_manager.StretchIcon(icon, 32, 24));
    ASSERT_TRUE(large.IsValid());
    m_manager.GetIconSize(large, &width, &height);
    EXPECT_EQ(width, 32u);
    EXPECT_EQ(height, 24u);
    m_manager.GetIconSize(nullptr, &width, &height);
    EXPECT_EQ(width, 0u);
    EXPECT_EQ(m_manager.StretchIcon(nullptr, 32, 32), nullptr);
    m_manager.GetBitmapSize(color, &width, &height);
    EXPECT_EQ(width, 16u);
    EXPECT_EQ(height, 16u);

    const COLORREF ground = RGB(90, 90, 90);
    CDibSection canvas;
    ASSERT_TRUE(MakeCanvas(canvas, 20, 20, ground));
    m_manager.DrawIcon(canvas.GetDC(), 2, 2, 16, 16, icon, 0, CPPDrawManager::ShadeInfo());
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{2, 2, 10, 18}, ground)) << "the transparent half";
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{10, 2, 18, 18}, RGB(255, 0, 0)));
    m_manager.DrawIcon(canvas.GetDC(), 2, 2, 16, 16, icon, PPIE_INVERT, CPPDrawManager::ShadeInfo());
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{2, 2, 10, 18}, ground));
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{10, 2, 18, 18}, RGB(0, 255, 255)));
}
