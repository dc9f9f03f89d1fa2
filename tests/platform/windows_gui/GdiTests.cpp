// Device contexts, GDI objects, image lists, menus and bitmaps from resources.
#include <gtest/gtest.h>

#include "platform/drawing/Dc.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/windows/HandleMap.h"
#include "platform/drawing/ImageList.h"
#include "platform/controls/Menu.h"
#include "TestResources.h"
#include "WindowTestSupport.h"

namespace
{

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

// A 24-bit memory surface of the given size, selected into a memory DC.
class Surface
{
  public:
    Surface(int cx, int cy)
    {
        CClientDC screen(nullptr);
        dc.CreateCompatibleDC(&screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = cx;
        info.bmiHeader.biHeight = -cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void *bits = nullptr;
        bitmap.Attach(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        previous = static_cast<HBITMAP>(dc.SelectObject(bitmap.m_hObject));
    }
    ~Surface()
    {
        dc.SelectObject(previous);
    }

    CDC dc;
    CBitmap bitmap;
    HBITMAP previous = nullptr;
};

TEST(GdiTest, MemoryDcDrawsAndReportsTheObjectsItReplaces)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    CClientDC screen(nullptr);
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 20, 10));
    CBitmap *old = dc.SelectObject(&bitmap);
    ASSERT_NE(nullptr, old);
    EXPECT_NE(bitmap.m_hObject, old->m_hObject);
    EXPECT_EQ(bitmap.m_hObject, dc.GetCurrentBitmap()->m_hObject);

    dc.FillSolidRect(0, 0, 20, 10, kRed);
    EXPECT_EQ(kRed, dc.GetPixel(19, 9));
    // The fill leaves the background colour set to its colour.
    EXPECT_EQ(kRed, dc.GetBkColor());
    // Sizes running left or up fill the same pixels.
    dc.FillSolidRect(5, 5, -2, -2, kBlue);
    EXPECT_EQ(kBlue, dc.GetPixel(3, 3));
    EXPECT_EQ(kBlue, dc.GetPixel(4, 4));
    EXPECT_EQ(kRed, dc.GetPixel(5, 5));

    dc.Draw3dRect(CRect(0, 0, 10, 10), kWhite, kGreen);
    EXPECT_EQ(kWhite, dc.GetPixel(0, 0));
    EXPECT_EQ(kWhite, dc.GetPixel(0, 8));
    EXPECT_EQ(kGreen, dc.GetPixel(9, 0));
    EXPECT_EQ(kGreen, dc.GetPixel(0, 9));
    EXPECT_EQ(kGreen, dc.GetPixel(9, 9));
    EXPECT_NE(kWhite, dc.GetPixel(1, 1));

    BITMAP info = {};
    EXPECT_EQ(static_cast<int>(sizeof(info)), bitmap.GetBitmap(&info));
    EXPECT_EQ(20, info.bmWidth);
    EXPECT_EQ(10, info.bmHeight);
    dc.SelectObject(old);
}

TEST(GdiTest, PensBrushesAndBlits)
{
    Surface surface(16, 16);
    CDC &dc = surface.dc;
    dc.FillSolidRect(0, 0, 16, 16, kWhite);
    CPen pen(PS_SOLID, 1, kBlue);
    CBrush brush(kGreen);
    CPen *oldPen = dc.SelectObject(&pen);
    CBrush *oldBrush = dc.SelectObject(&brush);
    EXPECT_TRUE(dc.Rectangle(2, 2, 8, 8));
    EXPECT_EQ(kBlue, dc.GetPixel(2, 2));
    EXPECT_EQ(kGreen, dc.GetPixel(4, 4));
    dc.MoveTo(0, 12);
    dc.LineTo(16, 12);
    EXPECT_EQ(kBlue, dc.GetPixel(10, 12));
    EXPECT_EQ(CPoint(16, 12), dc.GetCurrentPosition());
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);

    Surface copy(16, 16);
    EXPECT_TRUE(copy.dc.BitBlt(0, 0, 16, 16, &dc, 0, 0, SRCCOPY));
    EXPECT_EQ(kGreen, copy.dc.GetPixel(4, 4));
    EXPECT_TRUE(copy.dc.StretchBlt(0, 0, 8, 8, &dc, 0, 0, 16, 16, SRCCOPY));
    EXPECT_EQ(kGreen, copy.dc.GetPixel(2, 2));
    EXPECT_TRUE(copy.dc.PatBlt(0, 0, 4, 4, WHITENESS));
    EXPECT_EQ(kWhite, copy.dc.GetPixel(1, 1));
}

TEST(GdiTest, ClippingAndSavedStates)
{
    Surface surface(20, 20);
    CDC &dc = surface.dc;
    dc.FillSolidRect(0, 0, 20, 20, kWhite);
    int saved = dc.SaveDC();
    ASSERT_NE(0, saved);
    dc.IntersectClipRect(5, 5, 10, 10);
    CRect box;
    dc.GetClipBox(&box);
    EXPECT_EQ(CRect(5, 5, 10, 10), box);
    dc.FillSolidRect(0, 0, 20, 20, kRed);
    EXPECT_EQ(kWhite, dc.GetPixel(2, 2));
    EXPECT_EQ(kRed, dc.GetPixel(6, 6));
    EXPECT_TRUE(dc.RestoreDC(saved));
    dc.GetClipBox(&box);
    EXPECT_EQ(CRect(0, 0, 20, 20), box);

    CRgn region;
    ASSERT_TRUE(region.CreateEllipticRgn(0, 0, 20, 20));
    EXPECT_NE(ERROR, dc.SelectClipRgn(&region));
    dc.FillSolidRect(0, 0, 20, 20, kBlue);
    EXPECT_EQ(kBlue, dc.GetPixel(10, 10));
    EXPECT_NE(kBlue, dc.GetPixel(0, 0));
    dc.SelectClipRgn(nullptr);
}

TEST(GdiTest, TextExtentsAgreeWithTheSameDcsOwnMeasurements)
{
    Surface surface(200, 50);
    CDC &dc = surface.dc;
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"Tahoma"));
    LOGFONTW logFont = {};
    ASSERT_NE(0, font.GetLogFont(&logFont));
    EXPECT_LT(logFont.lfHeight, 0);
    CFont *old = dc.SelectObject(&font);
    EXPECT_EQ(font.m_hObject, dc.GetCurrentFont()->m_hObject);

    CSize one = dc.GetTextExtent(CString(L"W"));
    CSize two = dc.GetTextExtent(L"WW", 2);
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(two.cx, one.cx);
    EXPECT_EQ(one.cy, two.cy);
    EXPECT_EQ(CSize(0, 0), dc.GetTextExtent(CString()));

    TEXTMETRICW metrics = {};
    ASSERT_TRUE(dc.GetTextMetrics(&metrics));
    EXPECT_EQ(metrics.tmHeight, one.cy);
    CRect rect(0, 0, 200, 50);
    int height = dc.DrawText(CString(L"Wide text"), &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(metrics.tmHeight, height);
    EXPECT_EQ(dc.GetTextExtent(CString(L"Wide text")).cx, rect.Width());

    dc.FillSolidRect(0, 0, 200, 50, kWhite);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    EXPECT_TRUE(dc.TextOut(0, 0, CString(L"WWWW")));
    bool inked = false;
    for (int x = 0; x < dc.GetTextExtent(CString(L"WWWW")).cx && !inked; ++x)
        for (int y = 0; y < one.cy && !inked; ++y)
            inked = dc.GetPixel(x, y) != kWhite;
    EXPECT_TRUE(inked);
    dc.SelectObject(old);
}

TEST(GdiTest, ObjectsOwnTheirHandlesUnlessDetached)
{
    HGDIOBJ kept = nullptr;
    {
        CBrush brush;
        ASSERT_TRUE(brush.CreateSolidBrush(kRed));
        // One handle per object: a second creation is refused.
        EXPECT_FALSE(brush.CreateSolidBrush(kBlue));
        LOGBRUSH logBrush = {};
        brush.GetLogBrush(&logBrush);
        EXPECT_EQ(kRed, logBrush.lbColor);
        kept = brush.Detach();
        EXPECT_EQ(nullptr, brush.m_hObject);
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(kept));
    CBrush owner;
    ASSERT_TRUE(owner.Attach(kept));
    EXPECT_TRUE(owner.DeleteObject());
    EXPECT_EQ(nullptr, owner.m_hObject);
    EXPECT_FALSE(owner.DeleteObject());

    // A temporary wrapper does not delete what it wraps.
    HBRUSH raw = ::CreateSolidBrush(kGreen);
    EXPECT_EQ(raw, CBrush::FromHandle(raw)->m_hObject);
    AfxDeleteTempMaps();
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(raw));
    ::DeleteObject(raw);
}

TEST(GdiTest, RegionsCombineAndAnswerHitTests)
{
    CRgn left;
    CRgn right;
    ASSERT_TRUE(left.CreateRectRgn(0, 0, 10, 10));
    ASSERT_TRUE(right.CreateRectRgnIndirect(CRect(5, 0, 20, 10)));
    CRgn both;
    ASSERT_TRUE(both.CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(SIMPLEREGION, both.CombineRgn(&left, &right, RGN_AND));
    EXPECT_TRUE(both.PtInRegion(7, 5));
    EXPECT_FALSE(both.PtInRegion(2, 5));
    EXPECT_EQ(COMPLEXREGION, both.CombineRgn(&left, &right, RGN_XOR));
    EXPECT_TRUE(both.PtInRegion(CPoint(2, 5)));
    EXPECT_FALSE(both.PtInRegion(7, 5));
    CRect box;
    both.GetRgnBox(&box);
    EXPECT_EQ(CRect(0, 0, 20, 10), box);

    CRgn copy;
    ASSERT_TRUE(copy.CreateRectRgn(0, 0, 1, 1));
    EXPECT_NE(ERROR, copy.CopyRgn(&left));
    EXPECT_TRUE(copy.EqualRgn(&left));
    copy.SetRectRgn(CRect(30, 30, 40, 40));
    EXPECT_TRUE(copy.PtInRegion(35, 35));
    EXPECT_FALSE(copy.PtInRegion(5, 5));

    CRgn round;
    ASSERT_TRUE(round.CreateRoundRectRgn(0, 0, 20, 20, 10, 10));
    EXPECT_FALSE(round.PtInRegion(0, 0));
    EXPECT_TRUE(round.PtInRegion(10, 10));
    // Combining into a region that was never created fails instead of crashing.
    CRgn empty;
    EXPECT_EQ(ERROR, empty.CombineRgn(&left, &right, RGN_OR));
    EXPECT_EQ(ERROR, both.CombineRgn(nullptr, &right, RGN_OR));
}

TEST(GdiTest, ImageListAddsMaskedBitmapsAndDrawsThem)
{
    CImageList images;
    ASSERT_TRUE(images.Create(4, 4, ILC_COLOR24 | ILC_MASK, 2, 2));
    EXPECT_EQ(0, images.GetImageCount());

    Surface source(8, 4);
    source.dc.FillSolidRect(0, 0, 4, 4, kRed);
    source.dc.FillSolidRect(4, 0, 4, 4, kGreen);
    source.dc.SetPixel(1, 1, kWhite);
    // The list reads the bitmap's bits, which a bitmap selected into a DC does not allow.
    source.dc.SelectObject(source.previous);
    CBitmap *strip = &source.bitmap;
    EXPECT_EQ(0, images.Add(strip, kWhite));
    EXPECT_EQ(2, images.GetImageCount());

    Surface target(4, 4);
    target.dc.FillSolidRect(0, 0, 4, 4, kBlue);
    EXPECT_TRUE(images.Draw(&target.dc, 0, CPoint(0, 0), ILD_TRANSPARENT));
    EXPECT_EQ(kRed, target.dc.GetPixel(0, 0));
    // The mask colour lets the background through.
    EXPECT_EQ(kBlue, target.dc.GetPixel(1, 1));
    EXPECT_TRUE(images.Draw(&target.dc, 1, CPoint(0, 0), ILD_NORMAL));
    EXPECT_EQ(kGreen, target.dc.GetPixel(2, 2));

    HICON icon = images.ExtractIcon(0);
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(2, images.Add(icon));
    ::DestroyIcon(icon);
    EXPECT_EQ(3, images.GetImageCount());
    EXPECT_EQ(-1, images.Add(static_cast<CBitmap *>(nullptr), kWhite));

    HIMAGELIST handle = images.Detach();
    EXPECT_EQ(0, images.GetImageCount());
    CImageList again;
    ASSERT_TRUE(again.Attach(handle));
    EXPECT_EQ(3, again.GetImageCount());
    EXPECT_TRUE(again.DeleteImageList());
    EXPECT_EQ(nullptr, again.m_hImageList);
}

TEST(GdiTest, BitmapAndMenuComeFromTheProgramWhenTheLanguageLibraryLacksThem)
{
    wintest::LanguageLibrary language;
    ASSERT_TRUE(language.Loaded());

    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(IDB_TEST_BITMAP));
    BITMAP info = {};
    bitmap.GetBitmap(&info);
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(9876));
    EXPECT_EQ(nullptr, missing.m_hObject);

    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
    EXPECT_EQ(&menu, CMenu::FromHandlePermanent(menu.m_hMenu));
    CMenu *popup = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(2, popup->GetMenuItemCount());
    EXPECT_EQ(static_cast<UINT>(ID_TEST_CLOSE), popup->GetMenuItemID(1));
    CString text;
    popup->GetMenuString(ID_TEST_OPEN, text, MF_BYCOMMAND);
    EXPECT_EQ(CString(L"Open"), text);
    EXPECT_EQ(nullptr, menu.GetSubMenu(5));

    HMENU handle = menu.Detach();
    EXPECT_EQ(nullptr, CMenu::FromHandlePermanent(handle));
    CMenu owner;
    ASSERT_TRUE(owner.Attach(handle));
    CMenu intruder;
    EXPECT_FALSE(intruder.Attach(handle));
    EXPECT_TRUE(owner.DestroyMenu());
    EXPECT_FALSE(::IsMenu(handle));

    CMenu none;
    EXPECT_FALSE(none.LoadMenu(9876));
}

} // namespace
