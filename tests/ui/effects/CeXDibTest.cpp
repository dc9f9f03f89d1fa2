// The packed picture of the textured effects: its sizes, palette, pixel rows and drawing.
#include "EffectsTestSupport.h"

#include "ui/effects/CeXDib.h"

#include <gtest/gtest.h>

using namespace effectstest;

TEST(CeXDib, RowLengthIsAMultipleOfFourBytes)
{
    struct Case
    {
        DWORD width;
        WORD bits;
        DWORD lineWidth;
        WORD colors;
    } cases[] = {
        {1, 1, 4, 2},   {33, 1, 8, 2}, {7, 4, 4, 16},  {9, 4, 8, 16},  {3, 8, 4, 256},
        {5, 8, 8, 256}, {1, 24, 4, 0}, {3, 24, 12, 0}, {5, 24, 16, 0}, {333, 24, 1000, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.width << " pixels of " << c.bits << " bits");
        CCeXDib dib;
        const BYTE *block = static_cast<const BYTE *>(dib.Create(c.width, 3, c.bits));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(dib.GetLineWidth(), c.lineWidth);
        EXPECT_EQ(dib.GetNumColors(), c.colors);
        EXPECT_EQ(dib.GetBits(), block + sizeof(BITMAPINFOHEADER) + c.colors * sizeof(RGBQUAD));
        const auto *header = reinterpret_cast<const BITMAPINFOHEADER *>(block);
        EXPECT_EQ(header->biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header->biWidth, static_cast<LONG>(c.width));
        EXPECT_EQ(header->biHeight, 3) << "rows bottom-up";
        EXPECT_EQ(header->biPlanes, 1);
        EXPECT_EQ(header->biBitCount, c.bits);
        EXPECT_EQ(header->biSizeImage, c.lineWidth * 3);
    }
}

TEST(CeXDib, NothingIsMadeForAnEmptyOrUnknownPicture)
{
    CCeXDib dib;
    EXPECT_EQ(dib.Create(0, 5, 8), nullptr);
    EXPECT_EQ(dib.Create(5, 0, 8), nullptr);
    EXPECT_EQ(dib.Create(5, 5, 7), nullptr);
    EXPECT_EQ(dib.GetBits(), nullptr);
    EXPECT_EQ(dib.GetLineWidth(), 0u);
    // Calls on an empty picture change nothing and do not fail.
    dib.SetPixelIndex(0, 0, 1);
    dib.SetPaletteIndex(0, 1, 2, 3);
    dib.BlendPalette(RGB(1, 2, 3), 50);
    dib.Clear(4);
    CDibSection canvas;
    ASSERT_TRUE(MakeCanvas(canvas, 4, 4, RGB(9, 9, 9)));
    dib.Draw(canvas.GetDC(), 0, 0);
    EXPECT_TRUE(EveryPixelIs(canvas, RECT{0, 0, 4, 4}, RGB(9, 9, 9)));
}

TEST(CeXDib, PixelRowsAreCountedFromTheTop)
{
    CCeXDib dib;
    ASSERT_NE(dib.Create(3, 2, 8), nullptr);
    dib.Clear(5);
    dib.SetPixelIndex(1, 0, 7);
    dib.SetPixelIndex(2, 1, 9);
    dib.SetPixelIndex(3, 0, 1); // outside
    dib.SetPixelIndex(0, 2, 1); // outside
    const BYTE *bits = dib.GetBits();
    const DWORD line = dib.GetLineWidth();
    // Memory row 0 is the bottom row of the picture.
    EXPECT_EQ(bits[0], 5);
    EXPECT_EQ(bits[1], 5);
    EXPECT_EQ(bits[2], 9);
    EXPECT_EQ(bits[line + 0], 5);
    EXPECT_EQ(bits[line + 1], 7);
    EXPECT_EQ(bits[line + 2], 5);

    CCeXDib nibbles;
    ASSERT_NE(nibbles.Create(3, 1, 4), nullptr);
    nibbles.SetPixelIndex(0, 0, 0xA);
    nibbles.SetPixelIndex(1, 0, 0x3);
    nibbles.SetPixelIndex(2, 0, 0xF);
    EXPECT_EQ(nibbles.GetBits()[0], 0xA3);
    EXPECT_EQ(nibbles.GetBits()[1], 0xF0);

    CCeXDib mono;
    ASSERT_NE(mono.Create(10, 1, 1), nullptr);
    mono.SetPixelIndex(0, 0, 1);
    mono.SetPixelIndex(9, 0, 1);
    mono.SetPixelIndex(9, 0, 0);
    mono.SetPixelIndex(8, 0, 1);
    EXPECT_EQ(mono.GetBits()[0], 0x80);
    EXPECT_EQ(mono.GetBits()[1], 0x80);
}

TEST(CeXDib, PaletteBlendsTowardAColourAndDraws)
{
    CCeXDib dib;
    ASSERT_NE(dib.Create(2, 2, 8), nullptr);
    dib.SetPaletteIndex(0, 200, 100, 0);
    dib.SetPaletteIndex(1, 0, 0, 255);
    dib.BlendPalette(RGB(0, 0, 0), 25);
    EXPECT_EQ(dib.GetPaletteColor(0), RGB(150, 75, 0));
    EXPECT_EQ(dib.GetPaletteColor(1), RGB(0, 0, 191));
    dib.BlendPalette(RGB(10, 20, 30), 250); // capped at 100 %
    EXPECT_EQ(dib.GetPaletteColor(0), RGB(10, 20, 30));

    dib.SetPaletteIndex(0, 255, 0, 0);
    dib.SetPaletteIndex(1, 0, 255, 0);
    dib.Clear(0);
    dib.SetPixelIndex(1, 0, 1);
    CDibSection canvas;
    ASSERT_TRUE(MakeCanvas(canvas, 5, 5, RGB(9, 9, 9)));
    dib.Draw(canvas.GetDC(), 2, 1);
    EXPECT_EQ(At(canvas, 2, 1), RGB(255, 0, 0));
    EXPECT_EQ(At(canvas, 3, 1), RGB(0, 255, 0));
    EXPECT_EQ(At(canvas, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(At(canvas, 4, 1), RGB(9, 9, 9));
    EXPECT_EQ(At(canvas, 2, 3), RGB(9, 9, 9));

    // The section is kept; a later draw shows the pixels and palette of the moment.
    dib.SetPaletteIndex(0, 0, 0, 255);
    dib.SetPixelIndex(1, 1, 0);
    dib.Draw(canvas.GetDC(), 0, 0);
    EXPECT_EQ(At(canvas, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(At(canvas, 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(At(canvas, 1, 1), RGB(0, 0, 255));
}
