// The skinned dialog as a window: its close element, dragging, painting, and life without the close image.
#include "SkinDlgTestIds.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/drawing/GdiPlusSession.h"
#include "support/ImageSupport.h"
#include "support/TestSupport.h"
#include "ui/skin/SdSkinDlg.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const Gdiplus::ARGB kBackground = 0xFF204060;
const Gdiplus::ARGB kFrames[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};

COLORREF ToColorRef(Gdiplus::ARGB argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// A PNG of width x height whose column blocks of width / count take the colours in turn.
bool WriteBlocksPng(const std::wstring &path, int width, int height, const Gdiplus::ARGB *colours, int count)
{
    CLSID png;
    if (!testsupport::PngEncoder(png))
        return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        for (int i = 0; i < count; ++i)
        {
            Gdiplus::SolidBrush brush{Gdiplus::Color(colours[i])};
            graphics.FillRectangle(&brush, i * width / count, 0, width / count, height);
        }
    }
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

// Catches the system's window drag, which would otherwise run its own move loop.
class DragSpy
{
  public:
    explicit DragSpy(HWND window) : m_window(window)
    {
        s_drags = 0;
        s_hitTest = 0;
        s_previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DragSpy::Proc)));
    }
    ~DragSpy()
    {
        ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_previous));
    }
    DragSpy(const DragSpy &) = delete;
    DragSpy &operator=(const DragSpy &) = delete;

    int Drags() const
    {
        return s_drags;
    }
    WPARAM HitTest() const
    {
        return s_hitTest;
    }

  private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCLBUTTONDOWN)
        {
            ++s_drags;
            s_hitTest = wParam;
            return 0;
        }
        return ::CallWindowProcW(s_previous, hWnd, message, wParam, lParam);
    }

    HWND m_window;
    static WNDPROC s_previous;
    static int s_drags;
    static WPARAM s_hitTest;
};

WNDPROC DragSpy::s_previous = nullptr;
int DragSpy::s_drags = 0;
WPARAM DragSpy::s_hitTest = 0;

// Pixels of the dialog's background painting, drawn into a memory bitmap.
class ErasedImage
{
  public:
    explicit ErasedImage(HWND window)
    {
        RECT client = {};
        ::GetClientRect(window, &client);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, client.right, client.bottom};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        m_result = ::SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_dc), 0);
    }
    ~ErasedImage()
    {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    ErasedImage(const ErasedImage &) = delete;
    ErasedImage &operator=(const ErasedImage &) = delete;

    COLORREF At(int x, int y) const
    {
        return ::GetPixel(m_dc, x, y);
    }
    LRESULT Result() const
    {
        return m_result;
    }

  private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    LRESULT m_result = 0;
};

LPARAM At(POINT point)
{
    return MAKELPARAM(point.x, point.y);
}

class SkinDlgWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gdiplus.IsStarted());
        ASSERT_TRUE(WriteBlocksPng(m_folder / L"close_4.png", 96, 24, kFrames, 4));
        ASSERT_TRUE(WriteBlocksPng(m_folder / L"back.png", 800, 600, &kBackground, 1));
        ASSERT_TRUE(WriteBlocksPng(m_bare / L"back.png", 800, 600, &kBackground, 1));
    }
    void TearDown() override
    {
        m_dialog.reset();
        FreeSharedSkinImages();
        g_strSkinFolder.Empty();
    }

    // The dialog, shown without activation, over the images of folder (the shared ones included).
    CSdSkinDlg &Open(const testsupport::TempFolder &folder)
    {
        LoadSharedSkinImages(folder.Path().c_str());
        m_dialog.reset(new CSdSkinDlg(IDD_TEST_SKIN_DIALOG));
        m_dialog->LoadSkinImages(folder.Path().c_str(), L"back.png", L"banner.png");
        EXPECT_TRUE(m_dialog->Create(IDD_TEST_SKIN_DIALOG));
        m_dialog->ShowWindow(SW_SHOWNOACTIVATE);
        m_dialog->UpdateWindow();
        return *m_dialog;
    }

    HWND Hwnd() const
    {
        return m_dialog->GetSafeHwnd();
    }

    void Send(UINT message, POINT point)
    {
        ::SendMessageW(Hwnd(), message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, At(point));
    }

    // The WM_COMMAND posted to the dialog, taken from its queue; 0 when there is none.
    WPARAM TakePostedCommand(LPARAM *lParam = nullptr)
    {
        MSG msg;
        if (!::PeekMessageW(&msg, Hwnd(), WM_COMMAND, WM_COMMAND, PM_REMOVE))
            return 0;
        if (lParam != nullptr)
            *lParam = msg.lParam;
        return msg.wParam;
    }

    bool HasUpdateRegion(RECT *rect = nullptr)
    {
        RECT update = {};
        BOOL any = ::GetUpdateRect(Hwnd(), &update, FALSE);
        if (rect != nullptr)
            *rect = update;
        return any != FALSE;
    }

    CGdiPlusSession m_gdiplus;
    testsupport::TempFolder m_folder;
    testsupport::TempFolder m_bare;
    std::unique_ptr<CSdSkinDlg> m_dialog;
};

} // namespace

TEST_F(SkinDlgWindow, LosesTheSystemCaptionAndPutsTheCloseElementTopRight)
{
    CSdSkinDlg &dialog = Open(m_folder);
    EXPECT_EQ(dialog.GetStyle() & WS_CAPTION, 0u);
    EXPECT_EQ(dialog.GetExStyle() & (WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE), 0u);

    CSkinButtonNew *close = dialog.GetCloseButton();
    ASSERT_NE(close, nullptr);
    CRect client;
    dialog.GetClientRect(&client);
    EXPECT_EQ(close->m_rect, CRect(client.right - 28, 4, client.right - 4, 28));
    EXPECT_EQ(close->m_commandId, static_cast<UINT>(IDCANCEL));
    EXPECT_EQ(close->GetFrameWidth(), 24);
    EXPECT_EQ(close->m_pOwner, nullptr);
    EXPECT_TRUE(IsSkinImageValid(dialog.GetBackgroundImage()));
    ASSERT_NE(dialog.GetBannerImage(), nullptr);
    EXPECT_FALSE(IsSkinImageValid(dialog.GetBannerImage()));
}

TEST_F(SkinDlgWindow, PressAndReleaseInsidePostCancel)
{
    CSdSkinDlg &dialog = Open(m_folder);
    DragSpy spy(Hwnd());
    const CPoint inside = dialog.GetCloseButton()->m_rect.CenterPoint();

    Send(WM_LBUTTONDOWN, inside);
    EXPECT_EQ(dialog.GetCloseButton()->GetState(), SKIN_STATE_PRESSED);
    Send(WM_LBUTTONUP, inside);
    LPARAM lParam = -1;
    EXPECT_EQ(TakePostedCommand(&lParam), static_cast<WPARAM>(IDCANCEL));
    EXPECT_EQ(lParam, 0);

    // Hovering during the press does not lose the command.
    Send(WM_LBUTTONDOWN, inside);
    Send(WM_MOUSEMOVE, inside + CSize(1, 1));
    EXPECT_EQ(dialog.GetCloseButton()->GetState(), SKIN_STATE_HOVER);
    Send(WM_LBUTTONUP, inside + CSize(1, 1));
    EXPECT_EQ(TakePostedCommand(), static_cast<WPARAM>(IDCANCEL));
    EXPECT_EQ(spy.Drags(), 0);
}

TEST_F(SkinDlgWindow, ReleaseOutsidePostsNothing)
{
    CSdSkinDlg &dialog = Open(m_folder);
    DragSpy spy(Hwnd());
    Send(WM_LBUTTONDOWN, dialog.GetCloseButton()->m_rect.CenterPoint());
    Send(WM_LBUTTONUP, CPoint(10, 60));
    EXPECT_EQ(TakePostedCommand(), 0u);
    EXPECT_EQ(dialog.GetCloseButton()->GetState(), SKIN_STATE_PRESSED);
    Send(WM_MOUSEMOVE, CPoint(10, 60));
    EXPECT_EQ(dialog.GetCloseButton()->GetState(), SKIN_STATE_NORMAL);
}

TEST_F(SkinDlgWindow, PressOutsideTheElementDragsTheWindow)
{
    CSdSkinDlg &dialog = Open(m_folder);
    DragSpy spy(Hwnd());
    Send(WM_LBUTTONDOWN, CPoint(10, 60));
    EXPECT_EQ(spy.Drags(), 1);
    EXPECT_EQ(spy.HitTest(), static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(dialog.GetCloseButton()->GetState(), SKIN_STATE_NORMAL);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SkinDlgWindow, PaintsTheBackgroundAndTheFrameOfTheElementsState)
{
    CSdSkinDlg &dialog = Open(m_folder);
    const CRect rect = dialog.GetCloseButton()->m_rect;
    const CPoint centre = rect.CenterPoint();
    {
        ErasedImage image(Hwnd());
        EXPECT_NE(image.Result(), 0);
        EXPECT_EQ(image.At(40, 60), ToColorRef(kBackground));
        EXPECT_EQ(image.At(centre.x, centre.y), ToColorRef(kFrames[SKIN_STATE_NORMAL]));
        EXPECT_EQ(image.At(rect.left, rect.top), ToColorRef(kFrames[SKIN_STATE_NORMAL]));
        EXPECT_EQ(image.At(rect.right - 1, rect.bottom - 1), ToColorRef(kFrames[SKIN_STATE_NORMAL]));
    }
    Send(WM_MOUSEMOVE, centre);
    {
        ErasedImage image(Hwnd());
        EXPECT_EQ(image.At(centre.x, centre.y), ToColorRef(kFrames[SKIN_STATE_HOVER]));
    }
    Send(WM_LBUTTONDOWN, centre);
    {
        ErasedImage image(Hwnd());
        EXPECT_EQ(image.At(centre.x, centre.y), ToColorRef(kFrames[SKIN_STATE_PRESSED]));
    }
}

TEST_F(SkinDlgWindow, DisabledElementNeitherPostsNorIsDrawn)
{
    CSdSkinDlg &dialog = Open(m_folder);
    DragSpy spy(Hwnd());
    CSkinButtonNew *close = dialog.GetCloseButton();
    close->SetState(SKIN_STATE_DISABLED);
    const CPoint inside = close->m_rect.CenterPoint();

    Send(WM_MOUSEMOVE, inside);
    Send(WM_LBUTTONDOWN, inside);
    EXPECT_EQ(spy.Drags(), 1) << "a press on a disabled element drags";
    Send(WM_LBUTTONUP, inside);
    EXPECT_EQ(TakePostedCommand(), 0u);
    EXPECT_EQ(close->GetState(), SKIN_STATE_DISABLED);

    ErasedImage image(Hwnd());
    EXPECT_EQ(image.At(inside.x, inside.y), ToColorRef(kBackground));
}

TEST_F(SkinDlgWindow, OnlyAChangeOfStateRepaintsTheElement)
{
    CSdSkinDlg &dialog = Open(m_folder);
    const CRect rect = dialog.GetCloseButton()->m_rect;
    ::ValidateRect(Hwnd(), nullptr);

    Send(WM_MOUSEMOVE, CPoint(10, 60));
    EXPECT_FALSE(HasUpdateRegion());
    Send(WM_MOUSEMOVE, rect.CenterPoint());
    RECT update = {};
    ASSERT_TRUE(HasUpdateRegion(&update));
    EXPECT_EQ(CRect(update), rect);

    ::ValidateRect(Hwnd(), nullptr);
    Send(WM_MOUSEMOVE, rect.CenterPoint() + CSize(2, 2));
    EXPECT_FALSE(HasUpdateRegion());

    // An element with the dialog as its owner repaints itself on a change only.
    const CRect elsewhere(10, 40, 40, 70);
    CSkinButtonNew owned(L"", IDOK, &elsewhere, &dialog);
    owned.SetState(SKIN_STATE_NORMAL);
    EXPECT_FALSE(HasUpdateRegion());
    owned.SetState(SKIN_STATE_HOVER);
    ASSERT_TRUE(HasUpdateRegion(&update));
    EXPECT_EQ(CRect(update), elsewhere);
}

TEST_F(SkinDlgWindow, WorksWithoutTheCloseImage)
{
    CSdSkinDlg &dialog = Open(m_bare);
    EXPECT_EQ(dialog.GetCloseButton(), nullptr);
    DragSpy spy(Hwnd());
    CRect client;
    dialog.GetClientRect(&client);
    const CPoint corner = CSdSkinDlg::CloseButtonRect(client.Width()).CenterPoint();

    Send(WM_MOUSEMOVE, corner);
    Send(WM_LBUTTONDOWN, corner);
    EXPECT_EQ(spy.Drags(), 1);
    Send(WM_LBUTTONUP, corner);
    EXPECT_EQ(TakePostedCommand(), 0u);
    {
        ErasedImage image(Hwnd());
        EXPECT_EQ(image.At(corner.x, corner.y), ToColorRef(kBackground));
    }

    // Closing goes through Cancel, which hides a modeless dialog.
    ASSERT_TRUE(dialog.IsWindowVisible());
    dialog.SendMessage(WM_CLOSE);
    EXPECT_FALSE(dialog.IsWindowVisible());
}

TEST_F(SkinDlgWindow, WithoutABackgroundTheFaceColourIsPainted)
{
    LoadSharedSkinImages(m_folder.Path().c_str());
    g_strSkinFolder = m_bare.Path().c_str();
    m_dialog.reset(new CSdSkinDlg(IDD_TEST_SKIN_DIALOG));
    // An empty folder means the skin folder, which holds no such image.
    m_dialog->LoadSkinImages(L"", L"missing.png", L"back.png");
    EXPECT_FALSE(IsSkinImageValid(m_dialog->GetBackgroundImage()));
    EXPECT_TRUE(IsSkinImageValid(m_dialog->GetBannerImage()));
    ASSERT_TRUE(m_dialog->Create(IDD_TEST_SKIN_DIALOG));

    ErasedImage image(Hwnd());
    EXPECT_EQ(image.At(40, 60), ::GetSysColor(COLOR_BTNFACE));
    const CPoint inside = m_dialog->GetCloseButton()->m_rect.CenterPoint();
    EXPECT_EQ(image.At(inside.x, inside.y), ToColorRef(kFrames[SKIN_STATE_NORMAL]));
}
