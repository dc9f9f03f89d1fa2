// The skinned progress bar, drawn on a GDI+ memory bitmap.
#include "platform/drawing/GdiPlusSession.h"
#include "support/TestSupport.h"
#include "ui/skin/SkinGlobals.h"
#include "ui/skin/SkinProgressBar.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

const ULONGLONG kTwoTo63 = 1ULL << 63;
const ULONGLONG kAllOnes = ~0ULL;
const Gdiplus::ARGB kWhite = 0xFFFFFFFF;

} // namespace

TEST(SkinProgressBar, PercentageIsExactForEveryRange)
{
    struct Case
    {
        ULONGLONG pos, max;
        int percent;
    } cases[] = {
        {0, 100, 0},
        {50, 100, 50},
        {100, 100, 100},
        {150, 100, 100}, // clamped to max
        {5, 0, 0},       // nothing to measure against
        {0, 0, 0},
        {1, 3, 33},
        {2, 3, 66},
        {kTwoTo63 / 2, kTwoTo63, 50},
        {kTwoTo63 - 1, kTwoTo63, 99},
        {kTwoTo63, kTwoTo63, 100},
        {kAllOnes - 1, kAllOnes, 99},
        {kAllOnes, kAllOnes, 100},
        {kAllOnes / 100 * 37 + 6, kAllOnes, 37}, // the first position that reaches 37 %
        {kAllOnes / 100 * 37 + 5, kAllOnes, 36},
        {kAllOnes / 3, kAllOnes, 33},
        {1, kAllOnes, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.pos << " of " << c.max);
        EXPECT_EQ(SkinProgressPercent(c.pos, c.max), c.percent);
    }
    EXPECT_STREQ(SkinProgressText(1, 2), L"50%");
    EXPECT_STREQ(SkinProgressText(7, 0), L"0%");
    EXPECT_STREQ(SkinProgressText(kAllOnes, 1), L"100%");

    EXPECT_EQ(SkinProgressShare(200, 1, 2), 100);
    EXPECT_EQ(SkinProgressShare(200, kTwoTo63 / 2, kTwoTo63), 100);
    EXPECT_EQ(SkinProgressShare(201, 1, 2), 100);
    EXPECT_EQ(SkinProgressShare(200, 3, 2), 200);
    EXPECT_EQ(SkinProgressShare(200, 1, 0), 0);
    EXPECT_EQ(SkinProgressShare(0, 1, 2), 0);
    EXPECT_EQ(SkinProgressShare(-5, 1, 2), 0);
}

namespace
{

class SkinProgressBarDrawing : public testing::Test
{
  protected:
    static const int kWidth = 240;
    static const int kHeight = 20;

    void SetUp() override
    {
        ASSERT_TRUE(m_gdiplus.IsStarted());
        LoadSharedSkinImages(testsupport::SkinFolder().c_str());
    }
    void TearDown() override
    {
        FreeSharedSkinImages();
    }

    // The bar drawn over white into a fresh bitmap, inset by 10 pixels on each side.
    std::unique_ptr<Gdiplus::Bitmap> Draw(ULONGLONG pos, ULONGLONG max, RECT rect = {10, 10, 10 + kWidth, 10 + kHeight})
    {
        std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(kWidth + 20, kHeight + 20, PixelFormat32bppARGB));
        Gdiplus::Graphics graphics(bitmap.get());
        graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
        DrawSkinProgressBar(graphics, rect, pos, max);
        return bitmap;
    }
    static Gdiplus::ARGB Pixel(Gdiplus::Bitmap &bitmap, int x, int y)
    {
        Gdiplus::Color colour;
        bitmap.GetPixel(x, y, &colour);
        return colour.GetValue();
    }
    // Dark pixels (the text) in the middle third of the bar.
    static int DarkPixelsInTheMiddle(Gdiplus::Bitmap &bitmap)
    {
        int dark = 0;
        for (int y = 10; y < 10 + kHeight; ++y)
            for (int x = 10 + kWidth / 3; x < 10 + 2 * kWidth / 3; ++x)
            {
                Gdiplus::Color c;
                bitmap.GetPixel(x, y, &c);
                if (c.GetR() < 64 && c.GetG() < 64 && c.GetB() < 64)
                    ++dark;
            }
        return dark;
    }

    CGdiPlusSession m_gdiplus;
};

} // namespace

TEST_F(SkinProgressBarDrawing, UsedShareCoversTheLeftPartOfTheBar)
{
    ASSERT_TRUE(IsSkinImageValid(g_skinBarImages[SKIN_BAR_EMPTY]));
    ASSERT_TRUE(IsSkinImageValid(g_skinBarImages[SKIN_BAR_USED]));
    const int left = 10 + 20, right = 10 + kWidth - 20, quarter = 10 + kWidth / 4, threeQuarters = 10 + 3 * kWidth / 4;
    const int middleRow = 10 + kHeight * 3 / 4;

    auto empty = Draw(0, 100);
    auto full = Draw(100, 100);
    ASSERT_NE(Pixel(*empty, left, middleRow), Pixel(*full, left, middleRow));
    EXPECT_EQ(Pixel(*empty, left, middleRow), Pixel(*empty, right, middleRow));
    EXPECT_EQ(Pixel(*full, left, middleRow), Pixel(*full, right, middleRow));
    // Outside the rectangle nothing is drawn.
    EXPECT_EQ(Pixel(*full, 5, 5), kWhite);
    EXPECT_EQ(Pixel(*full, 10 + kWidth + 5, 10 + kHeight + 5), kWhite);

    struct Half
    {
        ULONGLONG pos, max;
    } halves[] = {{50, 100}, {kTwoTo63 / 2, kTwoTo63}, {1, 2}};
    for (const Half &h : halves)
    {
        SCOPED_TRACE(testing::Message() << h.pos << " of " << h.max);
        auto half = Draw(h.pos, h.max);
        EXPECT_EQ(Pixel(*half, quarter, middleRow), Pixel(*full, quarter, middleRow));
        EXPECT_EQ(Pixel(*half, threeQuarters, middleRow), Pixel(*empty, threeQuarters, middleRow));
    }

    // Past the end is a full bar, an empty range an empty one.
    auto past = Draw(150, 100);
    EXPECT_EQ(Pixel(*past, right, middleRow), Pixel(*full, right, middleRow));
    auto nothing = Draw(5, 0);
    EXPECT_EQ(Pixel(*nothing, left, middleRow), Pixel(*empty, left, middleRow));
}

TEST_F(SkinProgressBarDrawing, PercentageTextIsCentred)
{
    auto zero = Draw(0, 100);
    auto hundred = Draw(100, 100);
    int zeroText = DarkPixelsInTheMiddle(*zero);
    int hundredText = DarkPixelsInTheMiddle(*hundred);
    EXPECT_GT(zeroText, 0);
    EXPECT_GT(hundredText, zeroText); // "100%" has more ink than "0%"
    // The text stays in the middle: the ends of the bar match a bar that is equally full.
    auto nothing = Draw(0, 0);
    EXPECT_EQ(DarkPixelsInTheMiddle(*nothing), zeroText);
}

TEST_F(SkinProgressBarDrawing, MissingImagesStillGiveTheText)
{
    FreeSharedSkinImages();
    auto bare = Draw(50, 100);
    EXPECT_GT(DarkPixelsInTheMiddle(*bare), 0);
    EXPECT_EQ(Pixel(*bare, 10 + 5, 10 + kHeight / 2), kWhite);

    testsupport::TempFolder folder;
    LoadSharedSkinImages(folder.Path().c_str());
    auto failed = Draw(50, 100);
    EXPECT_GT(DarkPixelsInTheMiddle(*failed), 0);
    EXPECT_EQ(Pixel(*failed, 10 + 5, 10 + kHeight / 2), kWhite);
}

TEST_F(SkinProgressBarDrawing, EmptyRectangleDrawsNothing)
{
    RECT rects[] = {{10, 10, 10, 30}, {10, 10, 200, 10}, {200, 10, 10, 30}};
    for (const RECT &rect : rects)
    {
        auto drawn = Draw(50, 100, rect);
        for (int y = 0; y < kHeight + 20; y += 3)
            for (int x = 0; x < kWidth + 20; x += 3)
                ASSERT_EQ(Pixel(*drawn, x, y), kWhite) << x << "," << y;
    }
}
