// Drawing the owner-drawn menu items in both looks: colours, geometry, TAB columns, check marks, images from
// a toolbar resource with their washed and dark copies, disabled images, and the shared image list.
#include <gtest/gtest.h>

#include <memory>

#include "MenuTestIds.h"
#include "MenuTestSupport.h"
#include "ui/menu/MenuGeometry.h"

using namespace menutest;
using testsupport::DibCanvas;

namespace
{

const COLORREF kMarker = RGB(1, 2, 3);

COLORREF Sys(int index)
{
    return ::GetSysColor(index);
}

// A popup of fresh items (no template, so no padding of the texts).
class MenuDrawing : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_menu.CreatePopupMenu());
    }

    BCMenuData *Add(LPCWSTR text, UINT_PTR command, int toolbar = -1)
    {
        EXPECT_TRUE(m_menu.AppendODMenu(text, MF_OWNERDRAW, command, toolbar));
        return m_menu.m_menuItems[m_menu.m_menuItems.GetSize() - 1];
    }

    // Whether any pixel of the rectangle differs from the colour.
    static bool AnyOther(const DibCanvas &canvas, const RECT &rect, COLORREF colour)
    {
        const int all = (rect.right - rect.left) * (rect.bottom - rect.top);
        return canvas.Count(rect, colour) != all;
    }

    BCMenu m_menu;
};

} // namespace

TEST(MenuDrawingColours, LightenColor)
{
    struct Case
    {
        COLORREF colour;
        double factor;
        COLORREF expected;
    };
    const Case cases[] = {
        {0x000000, 0.5, 0x7F7F7F},  {0x123456, 0.0, 0x123456}, {0x123456, 1.5, 0x123456}, {0x123456, -0.1, 0x123456},
        {0xFF0000, 0.25, 0xFF3F3F}, {0x123456, 1.0, 0xFFFFFF}, {0x808080, 0.5, 0xBFBFBF},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BCMenu::LightenColor(c.colour, c.factor), c.expected) << std::hex << c.colour << " " << c.factor;
}

TEST(MenuDrawingGeometry, FlatLookAtHeight22)
{
    const menugeometry::FlatLayout layout = menugeometry::Flat(CRect(0, 0, 200, 22), 16, 15);
    EXPECT_EQ(layout.columnWidth, 23);
    EXPECT_EQ(layout.dx, 4);
    EXPECT_EQ(layout.dy, 4);
    EXPECT_EQ(layout.image, CPoint(4, 4));
    EXPECT_EQ(layout.text.left, 31);
    EXPECT_EQ(layout.separator.left, 30);
    EXPECT_EQ(layout.separator.top, 11);
    EXPECT_EQ(layout.imageBox, CRect(1, 1, 22, 21));
    EXPECT_EQ(layout.checkBox, CRect(4, 3, 20, 19));
    // Offsets never go negative in a low item.
    const menugeometry::FlatLayout low = menugeometry::Flat(CRect(10, 100, 200, 105), 16, 15);
    EXPECT_EQ(low.dy, 0);
    EXPECT_EQ(low.checkBox.top, 100);
}

TEST(MenuDrawingGeometry, ClassicLookAtHeight19)
{
    const menugeometry::ClassicLayout layout = menugeometry::Classic(CRect(0, 0, 200, 19), 16, 15);
    EXPECT_EQ(layout.dy, 0);
    EXPECT_EQ(layout.text.left, 25);
    EXPECT_EQ(layout.image, CPoint(2, 2));
    EXPECT_EQ(layout.box1, CRect(1, 1, 19, 18));
    EXPECT_EQ(layout.box2, CRect(0, 0, 20, 19));
    EXPECT_EQ(layout.highlightWithImage.left, 21);
    EXPECT_EQ(menugeometry::Classic(CRect(0, 0, 200, 30), 16, 15).dy, 5);
}

TEST(MenuDrawingGeometry, SeparatorHeight)
{
    // Classic: the larger of 19 / 2 and (15 + 4) / 2; flat: of 19 / 2 and (15 + 7) / 2.
    EXPECT_EQ(menugeometry::SeparatorHeight(19, 15, 4), 9);
    EXPECT_EQ(menugeometry::SeparatorHeight(19, 15, 7), 11);
    EXPECT_EQ(menugeometry::SeparatorHeight(30, 15, 4), 15);
}

TEST_F(MenuDrawing, ClassicTextColumnsAndTabs)
{
    Look look(false);
    BCMenuData *open = Add(L"Open\tCtrl+O", ID_TEST_OPEN);
    DibCanvas canvas(200, 19, kMarker);
    const RECT item = {0, 0, 200, 19};
    DrawRecord(m_menu, open, 0, canvas, item);
    const COLORREF menu = Sys(COLOR_MENU);
    EXPECT_EQ(canvas.Count(item, kMarker), 0) << "the whole item is painted";
    EXPECT_EQ(canvas.At(0, 0), menu);
    EXPECT_FALSE(AnyOther(canvas, {0, 0, 25, 19}, menu)) << "the text starts at left + 25";
    EXPECT_TRUE(AnyOther(canvas, {25, 0, 60, 19}, menu)) << "Open";
    // Ctrl+O right-aligned 16 pixels before the right edge.
    EXPECT_FALSE(AnyOther(canvas, {184, 0, 200, 19}, menu));
    EXPECT_TRUE(AnyOther(canvas, {178, 0, 184, 19}, menu));

    // Of two TABs only what stands before the first and after the last is drawn.
    BCMenuData *two = Add(L"Open\tCtrl+P\tCtrl+O", 150);
    DibCanvas twoTabs(200, 19, kMarker);
    DrawRecord(m_menu, two, 0, twoTabs, item);
    for (int y = 0; y < 19; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(twoTabs.At(x, y), canvas.At(x, y)) << x << "," << y;
}

TEST_F(MenuDrawing, DisabledItemUnderTheMouse)
{
    BCMenuData *item = Add(L"Disabled", 151);
    const RECT rect = {0, 0, 160, 22};
    {
        // Classic: highlighted, its text in the background colour.
        Look look(false);
        DibCanvas canvas(160, 22, kMarker);
        DrawRecord(m_menu, item, ODS_SELECTED | ODS_GRAYED, canvas, rect);
        EXPECT_EQ(canvas.At(1, 1), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(canvas.At(150, 20), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(canvas.Count(rect, Sys(COLOR_GRAYTEXT)), 0);
        EXPECT_TRUE(AnyOther(canvas, {25, 0, 80, 22}, Sys(COLOR_HIGHLIGHT))) << "the text";
    }
    {
        // Flat: drawn as not selected, in grey text.
        Look look(true);
        DibCanvas canvas(160, 22, kMarker);
        DrawRecord(m_menu, item, ODS_SELECTED | ODS_GRAYED, canvas, rect);
        EXPECT_EQ(canvas.At(5, 1), Sys(COLOR_BTNFACE));
        EXPECT_EQ(canvas.At(150, 1), Sys(COLOR_WINDOW));
        EXPECT_EQ(canvas.Count(rect, BCMenu::LightenColor(Sys(COLOR_HIGHLIGHT), 0.7)), 0);
        EXPECT_GT(canvas.Count({31, 0, 100, 22}, Sys(COLOR_GRAYTEXT)), 0);
    }
}

TEST_F(MenuDrawing, FlatItemAndSeparator)
{
    Look look(true);
    BCMenuData *item = Add(L"Item", 152);
    BCMenuData *separator = Add(L"", 0);
    EXPECT_EQ(separator->m_flags, static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW));
    DibCanvas canvas(200, 31, kMarker);
    DrawRecord(m_menu, item, 0, canvas, {0, 0, 200, 22});
    DrawRecord(m_menu, separator, 0, canvas, {0, 22, 200, 31});
    const COLORREF face = Sys(COLOR_BTNFACE);
    const COLORREF window = Sys(COLOR_WINDOW);
    EXPECT_FALSE(AnyOther(canvas, {0, 0, 23, 31}, face)) << "the image column";
    EXPECT_FALSE(AnyOther(canvas, {23, 0, 31, 22}, window)) << "the text starts at left + 31";
    EXPECT_TRUE(AnyOther(canvas, {31, 0, 80, 22}, window));
    // The etched line from left + 30, at top + 4 of the 9-pixel separator.
    EXPECT_FALSE(AnyOther(canvas, {23, 22, 30, 31}, window));
    EXPECT_EQ(canvas.At(100, 26), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(canvas.At(100, 27), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(100, 24), window);

    // Selected: the selection fill framed in the highlight colour.
    DibCanvas selected(200, 22, kMarker);
    DrawRecord(m_menu, item, ODS_SELECTED, selected, {0, 0, 200, 22});
    EXPECT_EQ(selected.At(0, 0), Sys(COLOR_HIGHLIGHT));
    EXPECT_EQ(selected.At(5, 5), BCMenu::LightenColor(Sys(COLOR_HIGHLIGHT), 0.7));
}

TEST_F(MenuDrawing, CheckMarksAndRadioDots)
{
    BCMenuData *tick = Add(L"Tick", 153);
    BCMenuData *radio = Add(L"Radio", 154);
    CBitmap dot;
    ASSERT_TRUE(dot.CreateBitmap(8, 8, 1, 1, nullptr));
    ASSERT_TRUE(::SetMenuItemBitmaps(m_menu.GetSafeHmenu(), 154, MF_BYCOMMAND, nullptr, dot));
    const COLORREF text = Sys(COLOR_MENUTEXT);
    {
        Look look(false);
        DibCanvas canvas(120, 38, kMarker);
        DrawRecord(m_menu, tick, ODS_CHECKED, canvas, {0, 0, 120, 19});
        DrawRecord(m_menu, radio, ODS_CHECKED, canvas, {0, 19, 120, 38});
        // The box (1, 2)-(17, 17), lightened; the tick's strokes from (5, 6).
        EXPECT_EQ(canvas.At(2, 3), BCMenu::LightenColor(Sys(COLOR_MENU), 0.6));
        const POINT tickPixels[] = {{5, 8}, {5, 10}, {7, 12}, {11, 7}, {10, 9}};
        for (POINT p : tickPixels)
            EXPECT_EQ(canvas.At(p.x, p.y), text) << p.x << "," << p.y;
        EXPECT_NE(canvas.At(5, 11), text);
        // The dot: the ellipse (6, 25)-(12, 31).
        EXPECT_EQ(canvas.At(8, 27), text);
        EXPECT_NE(canvas.At(5, 27), text);
    }
    {
        Look look(true);
        DibCanvas canvas(120, 22, kMarker);
        DrawRecord(m_menu, tick, ODS_CHECKED, canvas, {0, 0, 120, 22});
        // The 16 x 16 box at (4, 3), framed in the highlight colour; the tick from (9, 7).
        EXPECT_EQ(canvas.At(4, 3), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(canvas.At(6, 5), BCMenu::LightenColor(Sys(COLOR_HIGHLIGHT), 0.85));
        EXPECT_EQ(canvas.At(9, 9), text);
        EXPECT_EQ(canvas.At(15, 7), text);
    }
}

TEST(MenuDrawingImages, ToolbarOffsetsAndSystemColourBitmaps)
{
    struct Case
    {
        UINT command;
        BOOL found;
        int offset;
    };
    const Case cases[] = {{ID_TEST_NEW, TRUE, 0}, {ID_TEST_OPEN, TRUE, 1}, {ID_TEST_SAVE_AS, TRUE, 2}, {999, FALSE, 0}};
    for (const Case &c : cases)
    {
        int offset = 0;
        EXPECT_EQ(BCMenu::GetToolBarImageOffset(c.command, IDR_TEST_TOOLBAR, offset), c.found) << c.command;
        EXPECT_EQ(offset, c.offset) << c.command;
    }
    int offset = 0;
    EXPECT_FALSE(BCMenu::GetToolBarImageOffset(ID_TEST_NEW, 9999, offset));

    HBITMAP mapped = BCMenu::LoadSysColorBitmap(IDR_TEST_TOOLBAR);
    EXPECT_NE(mapped, nullptr);
    ::DeleteObject(mapped);
    EXPECT_EQ(BCMenu::LoadSysColorBitmap(9999), nullptr);

    struct Count
    {
        WORD bits;
        DWORD used;
        WORD colours;
    };
    const Count counts[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {24, 0, 0}, {32, 0, 0}, {8, 16, 16}, {4, 5, 5}};
    for (const Count &c : counts)
    {
        BITMAPINFOHEADER header = {};
        header.biBitCount = c.bits;
        header.biClrUsed = c.used;
        EXPECT_EQ(BCMenu::GetBitmapColorCount(header), c.colours) << c.bits << " " << c.used;
    }
}

TEST_F(MenuDrawing, FlatImageFillsATripleAndASecondAddReplacesIt)
{
    Look look(true);
    BCMenuData *open = Add(L"Open", ID_TEST_OPEN, IDR_TEST_TOOLBAR);
    const int position = open->m_globalImage;
    ASSERT_GE(position, 0);
    const CArray<UINT, UINT> &ids = BCMenu::SharedImageIds();
    const INT_PTR count = ids.GetSize();
    ASSERT_GE(count, position + 3);
    EXPECT_EQ(ids[position], static_cast<UINT>(ID_TEST_OPEN));
    EXPECT_TRUE(BCMenu::HasImageCopies(position));
    ASSERT_NE(BCMenu::SharedImages(), nullptr);
    EXPECT_EQ(BCMenu::SharedImages()->GetImageCount(), static_cast<int>(count));

    // The item is drawn with the washed copy of the blue disc (image 1 of the strip) while not selected.
    DibCanvas canvas(120, 22, kMarker);
    DrawRecord(m_menu, open, 0, canvas, {0, 0, 120, 22});
    const COLORREF blue = RGB(0, 0, 255);
    EXPECT_EQ(canvas.At(4 + 7, 4 + 7), BCMenu::LightenColor(blue, 0.3));
    // Selected: the dark copy one pixel down and right, the image itself one pixel up and left.
    DrawRecord(m_menu, open, ODS_SELECTED, canvas, {0, 0, 120, 22});
    EXPECT_EQ(canvas.At(3 + 7, 3 + 7), blue);

    // The same command again: the triple is replaced, nothing appended.
    BCMenuData *again = Add(L"Open again", ID_TEST_OPEN, IDR_TEST_TOOLBAR);
    EXPECT_EQ(again->m_globalImage, position);
    EXPECT_EQ(ids.GetSize(), count);
    // Another image for the command replaces all three.
    CImageList strip;
    ASSERT_TRUE(strip.Create(16, 15, ILC_COLORDDB | ILC_MASK, 1, 1));
    ASSERT_TRUE(m_menu.AddBitmapToImageList(&strip, IDR_TEST_TOOLBAR));
    EXPECT_EQ(m_menu.AddToGlobalImageList(&strip, 0, ID_TEST_OPEN), position);
    EXPECT_EQ(ids.GetSize(), count);
    DibCanvas replaced(120, 22, kMarker);
    DrawRecord(m_menu, open, 0, replaced, {0, 0, 120, 22});
    EXPECT_EQ(replaced.At(4 + 7, 4 + 7), BCMenu::LightenColor(RGB(255, 0, 0), 0.3)) << "the washed red square";
}

TEST_F(MenuDrawing, ClassicImageHasNoCopies)
{
    Look look(false);
    BCMenuData *save = Add(L"Save", ID_TEST_SAVE_AS, IDR_TEST_TOOLBAR);
    const int position = save->m_globalImage;
    ASSERT_GE(position, 0);
    EXPECT_FALSE(BCMenu::HasImageCopies(position));
    DibCanvas canvas(120, 19, kMarker);
    DrawRecord(m_menu, save, 0, canvas, {0, 0, 120, 19});
    // The green triangle (image 2) at (2, 2), its tip row 4 at x = 7.
    EXPECT_EQ(canvas.At(2 + 7, 2 + 9), RGB(0, 128, 0));
    EXPECT_EQ(canvas.At(2 + 1, 2 + 1), Sys(COLOR_MENU));
    // Disabled: the embossed silhouette.
    DibCanvas disabled(120, 19, kMarker);
    DrawRecord(m_menu, save, ODS_GRAYED, disabled, {0, 0, 120, 19});
    EXPECT_EQ(disabled.At(2 + 7, 2 + 9), Sys(COLOR_BTNSHADOW));
}

TEST(MenuDrawingImages, EmbossedDisabledImage)
{
    // A black square on the face colour: its silhouette in the dark edge colour, a highlight one a pixel down
    // and right, on the background.
    DibCanvas source(16, 15, Sys(COLOR_BTNFACE));
    source.Fill({4, 4, 10, 10}, RGB(0, 0, 0));
    HDC sourceDC = source.Dc();
    HBITMAP copy = ::CreateCompatibleBitmap(sourceDC, 16, 15);
    {
        HDC copyDC = ::CreateCompatibleDC(sourceDC);
        HGDIOBJ old = ::SelectObject(copyDC, copy);
        ::BitBlt(copyDC, 0, 0, 16, 15, sourceDC, 0, 0, SRCCOPY);
        ::SelectObject(copyDC, old);
        ::DeleteDC(copyDC);
    }
    const COLORREF background = RGB(200, 220, 240);
    DibCanvas target(40, 40, background);
    CDC dc;
    dc.Attach(target.Dc());
    BCMenu::DrawEmbossed(&dc, 10, 10, 16, 15, copy, 0, 0, background);
    dc.Detach();
    ::DeleteObject(copy);
    EXPECT_EQ(target.At(10 + 6, 10 + 6), Sys(COLOR_BTNSHADOW));
    EXPECT_EQ(target.At(10 + 10, 10 + 10), Sys(COLOR_BTNHIGHLIGHT)) << "the highlight one pixel beyond";
    EXPECT_EQ(target.At(10 + 1, 10 + 1), background);
    EXPECT_EQ(target.At(10 + 12, 10 + 12), background);
}
