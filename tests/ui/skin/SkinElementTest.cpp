// Skin elements: frames of a strip, drawing the state's frame, the caption's box, and the shared mouse logic.
#include "ui/skin/SkinElement.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/drawing/GdiPlusSession.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const Gdiplus::ARGB kFrameColours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};
const Gdiplus::ARGB kWhite = 0xFFFFFFFF;

// A strip of four frames, each of one solid colour.
std::unique_ptr<Gdiplus::Bitmap> MakeStrip(int width, int height, const Gdiplus::ARGB colours[4])
{
    std::unique_ptr<Gdiplus::Bitmap> strip(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    Gdiplus::Graphics graphics(strip.get());
    const int frame = width / 4;
    for (int i = 0; i < 4; ++i)
    {
        Gdiplus::SolidBrush brush{Gdiplus::Color(colours[i])};
        graphics.FillRectangle(&brush, i * frame, 0, i == 3 ? width - 3 * frame : frame, height);
    }
    return strip;
}

std::unique_ptr<Gdiplus::Bitmap> MakeCanvas(int width, int height)
{
    std::unique_ptr<Gdiplus::Bitmap> canvas(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
    Gdiplus::Graphics graphics(canvas.get());
    graphics.Clear(Gdiplus::Color(kWhite));
    return canvas;
}

Gdiplus::ARGB Pixel(Gdiplus::Bitmap &bitmap, int x, int y)
{
    Gdiplus::Color colour;
    bitmap.GetPixel(x, y, &colour);
    return colour.GetValue();
}

// The leftmost column holding a pixel that is not white, or INT_MAX.
int LeftmostInk(Gdiplus::Bitmap &bitmap, const CRect &area)
{
    for (int x = area.left; x < area.right; ++x)
        for (int y = area.top; y < area.bottom; ++y)
            if (Pixel(bitmap, x, y) != kWhite)
                return x;
    return INT_MAX;
}

class SkinElementDrawing : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gdiplus.IsStarted());
    }
    CGdiPlusSession m_gdiplus;
};

} // namespace

TEST_F(SkinElementDrawing, FrameIsAQuarterOfTheStripWithTheRemainderDropped)
{
    CSkinButtonNew element(L"", IDCANCEL, nullptr, nullptr);
    EXPECT_TRUE(element.m_rect.IsRectNull());
    EXPECT_EQ(element.GetState(), SKIN_STATE_NORMAL);
    EXPECT_EQ(element.m_alignment, Gdiplus::StringAlignmentCenter);

    std::unique_ptr<Gdiplus::Bitmap> strip96 = MakeStrip(96, 24, kFrameColours);
    element.SetImage(strip96.get());
    EXPECT_EQ(element.GetFrameWidth(), 24);
    EXPECT_EQ(element.GetFrameHeight(), 24);

    std::unique_ptr<Gdiplus::Bitmap> strip98 = MakeStrip(98, 20, kFrameColours);
    element.SetImage(strip98.get());
    EXPECT_EQ(element.GetFrameWidth(), 24);
    EXPECT_EQ(element.GetFrameHeight(), 20);
}

TEST_F(SkinElementDrawing, DrawShowsTheFrameOfTheCurrentState)
{
    std::unique_ptr<Gdiplus::Bitmap> strip = MakeStrip(96, 24, kFrameColours);
    const CRect rect(10, 10, 34, 34);
    CSkinButtonNew element(L"", IDCANCEL, &rect, nullptr);
    element.SetImage(strip.get());

    for (UINT state = 0; state < 4; ++state)
    {
        SCOPED_TRACE(state);
        element.SetState(state);
        std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(60, 60);
        {
            Gdiplus::Graphics graphics(canvas.get());
            element.Draw(graphics, 0, 0, FALSE);
        }
        EXPECT_EQ(Pixel(*canvas, 10, 10), kFrameColours[state]);
        EXPECT_EQ(Pixel(*canvas, 22, 22), kFrameColours[state]);
        EXPECT_EQ(Pixel(*canvas, 33, 33), kFrameColours[state]);
        EXPECT_EQ(Pixel(*canvas, 9, 9), kWhite);
        EXPECT_EQ(Pixel(*canvas, 34, 34), kWhite);
    }

    // Moved by (dx, dy).
    element.SetState(SKIN_STATE_HOVER);
    std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(60, 60);
    {
        Gdiplus::Graphics graphics(canvas.get());
        element.Draw(graphics, 20, 5, FALSE);
    }
    EXPECT_EQ(Pixel(*canvas, 30, 15), kFrameColours[1]);
    EXPECT_EQ(Pixel(*canvas, 53, 38), kFrameColours[1]);
    EXPECT_EQ(Pixel(*canvas, 29, 15), kWhite);
    EXPECT_EQ(Pixel(*canvas, 22, 22), kWhite);
}

TEST_F(SkinElementDrawing, MissingFailedOrTooNarrowImagesDrawNothing)
{
    const CRect rect(0, 0, 20, 20);
    CSkinButtonNew element(L"Caption", IDOK, &rect, nullptr);
    Gdiplus::Image missing(L"Z:\\no such folder\\close_4.png");
    std::unique_ptr<Gdiplus::Bitmap> narrow = MakeStrip(3, 20, kFrameColours);
    Gdiplus::Image *images[] = {nullptr, &missing, narrow.get()};
    for (Gdiplus::Image *image : images)
    {
        element.SetImage(image);
        std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(30, 30);
        {
            Gdiplus::Graphics graphics(canvas.get());
            element.Draw(graphics, 0, 0, TRUE);
        }
        EXPECT_EQ(LeftmostInk(*canvas, CRect(0, 0, 30, 30)), INT_MAX);
    }
}

TEST_F(SkinElementDrawing, StateButtonDrawsTheImageOfItsState)
{
    const Gdiplus::ARGB one[4] = {0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030};
    const Gdiplus::ARGB two[4] = {0xFF405060, 0xFF405060, 0xFF405060, 0xFF405060};
    std::unique_ptr<Gdiplus::Bitmap> normal = MakeStrip(16, 16, one);
    std::unique_ptr<Gdiplus::Bitmap> hover = MakeStrip(16, 16, two);
    const CRect rect(4, 4, 20, 20);
    CSkinStateButton element(L"", 7, &rect, nullptr);
    element.SetImages(normal.get(), hover.get(), nullptr, nullptr);

    const UINT states[] = {SKIN_STATE_NORMAL, SKIN_STATE_HOVER, SKIN_STATE_PRESSED};
    const Gdiplus::ARGB expected[] = {one[0], two[0], kWhite};
    for (int i = 0; i < 3; ++i)
    {
        element.SetState(states[i]);
        std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(30, 30);
        {
            Gdiplus::Graphics graphics(canvas.get());
            element.Draw(graphics, 0, 0, FALSE);
        }
        EXPECT_EQ(Pixel(*canvas, 12, 12), expected[i]) << i;
    }
}

TEST(SkinElementCaption, BoxIsTenPixelsWiderAndFollowsTheOffsets)
{
    const CRect box = SkinCaptionBox(CRect(10, 20, 60, 40), 1, 2, 3, 4);
    EXPECT_EQ(box, CRect(14, 26, 71, 46));
    EXPECT_EQ(SkinCaptionInnerBox(box), CRect(23, 26, 62, 46));
    EXPECT_EQ(SkinCaptionBox(CRect(0, 0, 24, 24), 0, 0, 0, 0), CRect(0, 0, 34, 24));
}

TEST_F(SkinElementDrawing, CaptionThatFitsIsInsetExceptWhenPressed)
{
    const Gdiplus::ARGB white[4] = {kWhite, kWhite, kWhite, kWhite};
    std::unique_ptr<Gdiplus::Bitmap> strip = MakeStrip(400, 30, white);
    const CRect rect(20, 10, 120, 40);
    CSkinButtonNew element(L"Go", IDOK, &rect, nullptr);
    element.SetImage(strip.get());
    element.m_alignment = Gdiplus::StringAlignmentNear;
    Gdiplus::Color red(0xFFFF0000);
    element.m_pColor = &red;

    const CRect box = SkinCaptionBox(rect, 0, 0, 0, 0);
    const CRect inner = SkinCaptionInnerBox(box);
    const UINT states[] = {SKIN_STATE_NORMAL, SKIN_STATE_PRESSED};
    for (UINT state : states)
    {
        SCOPED_TRACE(state);
        element.SetState(state);
        std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(200, 60);
        {
            Gdiplus::Graphics graphics(canvas.get());
            element.Draw(graphics, 0, 0, TRUE);
        }
        const int left = LeftmostInk(*canvas, CRect(0, 0, 200, 60));
        ASSERT_NE(left, INT_MAX) << "no caption drawn";
        if (state == SKIN_STATE_PRESSED)
        {
            EXPECT_GE(left, box.left);
            EXPECT_LT(left, inner.left);
        }
        else
        {
            EXPECT_GE(left, inner.left);
        }
        // Drawn in the element's colour.
        bool reddish = false;
        for (int x = left; x < left + 20 && !reddish; ++x)
            for (int y = 0; y < 60 && !reddish; ++y)
            {
                Gdiplus::Color c;
                canvas->GetPixel(x, y, &c);
                reddish = c.GetRed() > 200 && c.GetGreen() < 100 && c.GetBlue() < 100;
            }
        EXPECT_TRUE(reddish);
    }

    // Without the caption flag only the frame is drawn.
    std::unique_ptr<Gdiplus::Bitmap> canvas = MakeCanvas(200, 60);
    {
        Gdiplus::Graphics graphics(canvas.get());
        element.Draw(graphics, 0, 0, FALSE);
    }
    EXPECT_EQ(LeftmostInk(*canvas, CRect(0, 0, 200, 60)), INT_MAX);
}

// --- Mouse logic, without a window (the window tests drive the rest) ---

TEST(SkinElementMouse, DisabledElementIgnoresPressHoverAndRelease)
{
    const CRect rect(10, 10, 34, 34);
    CSkinButtonNew element(L"", IDCANCEL, &rect, nullptr);
    element.SetState(SKIN_STATE_DISABLED);
    EXPECT_FALSE(SkinElementHit(&element, CPoint(20, 20)));
    EXPECT_FALSE(SkinElementButtonDown(nullptr, &element, CPoint(20, 20)));
    SkinElementMouseMove(nullptr, &element, CPoint(20, 20));
    SkinElementMouseMove(nullptr, &element, CPoint(50, 50));
    EXPECT_FALSE(SkinElementButtonUp(&element, CPoint(20, 20)));
    EXPECT_EQ(element.GetState(), SKIN_STATE_DISABLED);
}

TEST(SkinElementMouse, NoElementMeansEveryPressDrags)
{
    EXPECT_FALSE(SkinElementHit(nullptr, CPoint(0, 0)));
    EXPECT_FALSE(SkinElementButtonDown(nullptr, nullptr, CPoint(0, 0)));
    EXPECT_FALSE(SkinElementButtonUp(nullptr, CPoint(0, 0)));
    SkinElementMouseMove(nullptr, nullptr, CPoint(0, 0));
    SkinElementPostCommand(nullptr, nullptr);
    SkinStartWindowDrag(nullptr);
}
