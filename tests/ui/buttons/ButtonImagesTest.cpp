// The images of the owner-drawn button: masks and key pixels, the grey and darker copies, the result codes,
// icons, which image is drawn where, and the drawing itself (headless, into a canvas).
#include <gtest/gtest.h>

#include <vector>

#include "ButtonTestSupport.h"
#include "ButtonsTestIds.h"
#include "platform/system/Handles.h"
#include "support/ImageSupport.h"

using namespace buttontest;
using testsupport::DibCanvas;

namespace
{

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kMarker = RGB(1, 2, 3);

// A bitmap compatible with the screen, row by row from the colours.
HBITMAP MakeBitmap(int width, int height, const std::vector<COLORREF> &colours)
{
    CWindowDCOwner screen(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    CDCOwner memory(::CreateCompatibleDC(screen));
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ::SetPixelV(memory, x, y, colours[static_cast<size_t>(y * width + x)]);
    ::SelectObject(memory, old);
    return bitmap;
}

std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height)
{
    CWindowDCOwner screen(nullptr);
    CDCOwner memory(::CreateCompatibleDC(screen));
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, old);
    return pixels;
}

// The 4 x 2 picture: key pixels at (0, 0) and (3, 1).
const std::vector<COLORREF> kPicture = {
    kKey, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(10, 20, 30), RGB(255, 255, 255), RGB(200, 100, 4), kKey};

HBITMAP FailingMask(int, int, UINT, UINT, const void *)
{
    return nullptr;
}

} // namespace

TEST(ButtonImages, GreyAndDarkerPixels)
{
    struct Case
    {
        COLORREF colour;
        COLORREF grey;
        COLORREF darker;
    };
    const Case cases[] = {
        {RGB(255, 255, 255), RGB(255, 255, 255), RGB(192, 192, 192)}, {RGB(255, 0, 0), RGB(76, 76, 76), RGB(192, 0, 0)},
        {RGB(0, 255, 0), RGB(149, 149, 149), RGB(0, 192, 0)},         {RGB(0, 0, 255), RGB(29, 29, 29), RGB(0, 0, 192)},
        {RGB(10, 20, 30), RGB(18, 18, 18), RGB(8, 15, 23)},           {RGB(3, 4, 1), RGB(3, 3, 3), RGB(3, 3, 1)},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(NewUI::buttonst::GreyOf(c.colour), c.grey) << std::hex << c.colour;
        EXPECT_EQ(NewUI::buttonst::DarkerOf(c.colour), c.darker) << std::hex << c.colour;
    }
}

TEST(ButtonImages, MasksKeyPixelsAndCopies)
{
    struct Case
    {
        LPCWSTR what;
        HBITMAP out;
        COLORREF (*recolour)(COLORREF);
    };
    const Case cases[] = {{L"grey", NewUI::AutoGreyBitmap(), &NewUI::buttonst::GreyOf},
                          {L"darker", NewUI::AutoDarkerBitmap(), &NewUI::buttonst::DarkerOf}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        TestButton button;
        ASSERT_EQ(button.SetBitmaps(MakeBitmap(4, 2, kPicture), kKey, c.out, RGB(0, 0, 0)),
                  static_cast<DWORD>(NewUI::BUTTON_IMAGES_OK));
        const auto &in = button.m_images[0];
        const auto &out = button.m_images[1];
        EXPECT_EQ(in.width, 4);
        EXPECT_EQ(in.height, 2);
        EXPECT_EQ(out.key, kKey) << "a copy takes the in image's key";
        // The mask: 1 (white) exactly at the key pixels.
        const std::vector<COLORREF> mask = PixelsOf(in.mask, 4, 2);
        const std::vector<COLORREF> inPixels = PixelsOf(in.bitmap, 4, 2);
        const std::vector<COLORREF> outPixels = PixelsOf(out.bitmap, 4, 2);
        for (size_t i = 0; i < kPicture.size(); ++i)
        {
            const bool key = kPicture[i] == kKey;
            EXPECT_EQ(mask[i], key ? RGB(255, 255, 255) : RGB(0, 0, 0)) << i;
            EXPECT_EQ(inPixels[i], key ? RGB(0, 0, 0) : kPicture[i]) << i;
            EXPECT_EQ(outPixels[i], key ? RGB(0, 0, 0) : c.recolour(kPicture[i])) << i;
        }
        EXPECT_EQ(PixelsOf(out.mask, 4, 2), mask);
    }
}

TEST(ButtonImages, ResultCodesAndWhatIsLeft)
{
    struct Case
    {
        LPCWSTR what;
        bool validIn;
        bool validOut;
        bool failMask;
        DWORD code;
    };
    const Case cases[] = {
        {L"both fine", true, true, false, NewUI::BUTTON_IMAGES_OK},
        {L"in not a bitmap", false, true, false, NewUI::BUTTON_IMAGES_NO_SIZE},
        {L"out not a bitmap", true, false, false, NewUI::BUTTON_IMAGES_NO_SIZE},
        {L"no mask", true, true, true, NewUI::BUTTON_IMAGES_NO_MASK},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        TestButton button;
        HBITMAP stale = MakeBitmap(2, 2, {kKey, kKey, kKey, kKey});
        ::DeleteObject(stale);
        HBITMAP in = c.validIn ? MakeBitmap(4, 2, kPicture) : stale;
        HBITMAP out = c.validOut ? MakeBitmap(2, 2, {kKey, 0, 0, kKey}) : stale;
        SeamOverride<NewUI::PFN_CREATE_MASK_BITMAP> mask(NewUI::g_pfnCreateMaskBitmap,
                                                         c.failMask ? &FailingMask : &::CreateBitmap);
        EXPECT_EQ(button.SetBitmaps(in, kKey, out, kKey), c.code);
        const bool kept = c.code == NewUI::BUTTON_IMAGES_OK;
        for (const auto &image : button.m_images)
        {
            EXPECT_EQ(image.bitmap != nullptr, kept);
            EXPECT_EQ(image.mask != nullptr, kept);
        }
    }
    // No in bitmap: nothing, and fine.
    TestButton none;
    EXPECT_EQ(none.SetBitmaps(nullptr, kKey), static_cast<DWORD>(NewUI::BUTTON_IMAGES_OK));
    EXPECT_EQ(none.m_images[0].bitmap, nullptr);
}

TEST(ButtonImages, IconsAndBitmapsAreOneKindAtATime)
{
    TestButton button;
    EXPECT_EQ(button.SetIcon(IDI_TEST_ICON_IN, IDI_TEST_ICON_OUT), 0u);
    EXPECT_NE(button.m_icons[0].icon, nullptr);
    EXPECT_NE(button.m_icons[1].icon, nullptr);
    EXPECT_EQ(button.m_icons[0].width, 16);
    EXPECT_EQ(button.m_icons[0].height, 16);

    EXPECT_EQ(button.SetBitmaps(MakeBitmap(4, 2, kPicture), kKey), static_cast<DWORD>(NewUI::BUTTON_IMAGES_OK));
    EXPECT_EQ(button.m_icons[0].icon, nullptr);
    EXPECT_EQ(button.m_icons[1].icon, nullptr);

    EXPECT_EQ(button.SetIcon(IDI_TEST_ICON_IN), 0u);
    EXPECT_EQ(button.m_images[0].bitmap, nullptr);
    EXPECT_EQ(button.m_icons[1].icon, nullptr);

    // An unknown icon: 1, and no image at all.
    EXPECT_EQ(button.SetIcon(9999, IDI_TEST_ICON_OUT), 1u);
    EXPECT_EQ(button.m_icons[0].icon, nullptr);
    EXPECT_EQ(button.m_icons[1].icon, nullptr);
    // Unknown bitmap resources leave no image either.
    EXPECT_EQ(button.SetBitmapsFromResource(9998, kKey, 9997, kKey), static_cast<DWORD>(NewUI::BUTTON_IMAGES_OK));
    EXPECT_EQ(button.m_images[0].bitmap, nullptr);
}

TEST(ButtonImages, WhichImageAndWhere)
{
    const CRect item(0, 0, 100, 30);
    const CSize image(16, 16);
    struct Case
    {
        bool hasOut;
        bool pressed;
        bool checkBox;
        bool hovered;
        bool caption;
        bool usesOut;
        CPoint at;
        int captionLeft;
    };
    const Case cases[] = {
        // No out image: always the in image.
        {false, false, false, false, false, false, {42, 7}, 0},
        {false, false, false, true, false, false, {42, 7}, 0},
        // The out image while neither pressed nor hovered.
        {true, false, false, false, false, true, {42, 7}, 0},
        {true, false, false, true, false, false, {42, 7}, 0},
        {true, true, false, false, false, false, {43, 8}, 0},
        // Check-box mode: hovering keeps the out image, pressing takes the in image and does not move it.
        {true, false, true, true, false, true, {42, 7}, 0},
        {true, true, true, false, false, false, {42, 7}, 0},
        // With a caption the image sits at the x margin and the caption starts after it.
        {true, false, false, false, true, true, {3, 7}, 19},
        {true, true, false, false, true, false, {4, 8}, 19},
        {true, true, true, false, true, false, {3, 7}, 19},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.hasOut << c.pressed << c.checkBox << c.hovered << c.caption);
        EXPECT_EQ(NewUI::buttonst::UsesOutImage(c.hasOut, c.pressed, c.checkBox, c.hovered), c.usesOut);
        const NewUI::buttonst::ImagePlace place =
            NewUI::buttonst::PlaceImage(item, item, image, c.caption, c.pressed, c.checkBox, {3, 3}, {1, 1});
        EXPECT_EQ(place.image, CRect(c.at, image));
        EXPECT_EQ(place.caption.left, c.captionLeft);
    }
}

TEST(ButtonImages, DrawnFaceAndImage)
{
    TestButton button;
    // A 4 x 2 picture, grey copy for the out state.
    ASSERT_EQ(button.SetBitmaps(MakeBitmap(4, 2, kPicture), kKey, NewUI::AutoGreyBitmap()),
              static_cast<DWORD>(NewUI::BUTTON_IMAGES_OK));
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const RECT item = {0, 0, 20, 10};
    // Not hovered: the grey copy, centred at (8, 4); the key pixels show the face beneath.
    DibCanvas canvas(20, 10, kMarker);
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.Count(item, kMarker), 0);
    EXPECT_EQ(canvas.At(8, 4), face);
    EXPECT_EQ(canvas.At(9, 4), NewUI::buttonst::GreyOf(RGB(255, 0, 0)));
    EXPECT_EQ(canvas.At(11, 5), face);
    EXPECT_EQ(canvas.At(0, 0), face) << "flat and not hovered: no border";
    // Hovered: the coloured picture and the flat border.
    button.m_hover = TRUE;
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.At(9, 4), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(0, 0), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(19, 9), ::GetSysColor(COLOR_BTNSHADOW));
    // Pressed: the picture one pixel down and right, the border sunken.
    button.Draw(canvas.Dc(), item, ODS_SELECTED);
    EXPECT_EQ(canvas.At(10, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(0, 0), ::GetSysColor(COLOR_BTNSHADOW));
    // Without the flat border a hovered button only changes colour.
    button.SetFlatBorder(FALSE, FALSE);
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.At(0, 0), face);
    // Check-box mode: checked counts as pressed, but nothing moves.
    button.m_checkBoxMode = TRUE;
    button.m_checked = TRUE;
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.At(9, 4), RGB(255, 0, 0));
}

TEST(ButtonImages, DrawnIcon)
{
    TestButton button;
    ASSERT_EQ(button.SetIcon(IDI_TEST_ICON_IN, IDI_TEST_ICON_OUT), 0u);
    DibCanvas canvas(30, 20, kMarker);
    const RECT item = {0, 0, 30, 20};
    // Not hovered: the out icon (grey with a dark ring) at (7, 2); hovered: the green one.
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.At(7 + 8, 2 + 8), RGB(0x90, 0x90, 0x90));
    EXPECT_EQ(canvas.At(7 + 8, 2 + 2), RGB(0x50, 0x50, 0x50));
    EXPECT_EQ(canvas.At(1, 1), ::GetSysColor(COLOR_BTNFACE)) << "outside the icon's circle";
    button.m_hover = TRUE;
    button.Draw(canvas.Dc(), item);
    EXPECT_EQ(canvas.At(7 + 8, 2 + 8), RGB(0x20, 0x90, 0x30));
    // Disabled: drawn in the disabled state, no longer green.
    button.Draw(canvas.Dc(), item, ODS_DISABLED);
    EXPECT_NE(canvas.At(7 + 8, 2 + 8), RGB(0x20, 0x90, 0x30));
}
