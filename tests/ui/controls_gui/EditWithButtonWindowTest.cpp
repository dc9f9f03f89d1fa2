// The edit box with a button as a window: its button message, cursor, formatting rectangle and frame.
#include <gtest/gtest.h>

#include "ControlsTestDialog.h"

using namespace controlstest;

namespace
{

// A top-level window that counts the button messages it receives.
class ButtonMessageCounter
{
  public:
    ButtonMessageCounter()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EditWithButtonTestOwner";
        ::RegisterClassW(&wc);
        m_hWnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                   nullptr);
    }
    ~ButtonMessageCounter()
    {
        ::DestroyWindow(m_hWnd);
    }
    ButtonMessageCounter(const ButtonMessageCounter &) = delete;
    ButtonMessageCounter &operator=(const ButtonMessageCounter &) = delete;

    HWND Handle() const
    {
        return m_hWnd;
    }
    int Count() const
    {
        return static_cast<int>(::GetWindowLongPtrW(m_hWnd, GWLP_USERDATA));
    }

  private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_EDIT_BUTTON_CLICK && wParam == 0 && lParam == 0)
        {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, ::GetWindowLongPtrW(hWnd, GWLP_USERDATA) + 1);
            return 0;
        }
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    HWND m_hWnd;
};

// A 32-bit memory bitmap of the given size, filled with one colour, with its DC.
class MemoryCanvas
{
  public:
    MemoryCanvas(int width, int height, COLORREF fill) : m_dc(::CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH brush = ::CreateSolidBrush(fill);
        ::FillRect(m_dc, &all, brush);
        ::DeleteObject(brush);
    }
    ~MemoryCanvas()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    MemoryCanvas(const MemoryCanvas &) = delete;
    MemoryCanvas &operator=(const MemoryCanvas &) = delete;

    HDC Dc() const
    {
        return m_dc;
    }
    COLORREF Pixel(int x, int y) const
    {
        return ::GetPixel(m_dc, x, y);
    }

  private:
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// A pixel of a bitmap resource of the program.
COLORREF ResourcePixel(UINT id, int x, int y)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr)
        return CLR_INVALID;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    COLORREF pixel = ::GetPixel(dc, x, y);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return pixel;
}

const COLORREF kMagenta = RGB(255, 0, 255);

class EditWithButtonWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dialog.Create(IDD_CONTROLS_TEST));
        ASSERT_NE(m_dialog.m_edit.GetSafeHwnd(), nullptr);
        PumpPending();
    }
    void TearDown() override
    {
        if (m_dialog.GetSafeHwnd() != nullptr)
            m_dialog.DestroyWindow();
        PumpPending();
    }

    void Release(const CPoint &point)
    {
        m_dialog.m_edit.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }

    // Moves the dialog so that the client point of the edit box lies under the pointer where it is now.
    void PutUnderPointer(const CPoint &clientPoint)
    {
        CPoint pointer;
        ::GetCursorPos(&pointer);
        CPoint screen = clientPoint;
        m_dialog.m_edit.ClientToScreen(&screen);
        CRect dialogRect;
        m_dialog.GetWindowRect(&dialogRect);
        m_dialog.SetWindowPos(nullptr, dialogRect.left + pointer.x - screen.x, dialogRect.top + pointer.y - screen.y, 0,
                              0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    CControlsTestDlg m_dialog;
};

// The edit's formatting rectangle less the margins it keeps inside the rectangle it was given.
CRect GivenRect(const CEditWithButton &edit)
{
    CRect formatting;
    ::SendMessageW(edit.GetSafeHwnd(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(static_cast<RECT *>(&formatting)));
    DWORD margins = static_cast<DWORD>(::SendMessageW(edit.GetSafeHwnd(), EM_GETMARGINS, 0, 0));
    formatting.left -= LOWORD(margins);
    formatting.right += HIWORD(margins);
    return formatting;
}

CPoint Centre(const CRect &rect)
{
    return CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

} // namespace

TEST_F(EditWithButtonWindow, ReleaseInTheButtonSendsTheMessageToTheOwner)
{
    CEditWithButton &edit = m_dialog.m_edit;
    ButtonMessageCounter owner;
    edit.SetOwner(CWnd::FromHandle(owner.Handle()));
    CRect client;
    edit.GetClientRect(&client);
    ASSERT_FALSE(edit.GetButtonRect().IsRectEmpty());

    Release(Centre(edit.GetButtonRect()));
    EXPECT_EQ(owner.Count(), 1);
    EXPECT_EQ(m_dialog.buttonMessages, 0);

    // In the text, and in the frame right of the button: nothing.
    Release(Centre(edit.GetTextRect()));
    Release(CPoint(client.right - 2, Centre(client).y));
    Release(CPoint(edit.GetButtonRect().left - 1, Centre(client).y));
    EXPECT_EQ(owner.Count(), 1);

    // Another message number goes the same way.
    edit.SetButtonMessage(WM_APP + 5);
    Release(Centre(edit.GetButtonRect()));
    EXPECT_EQ(owner.Count(), 1);
}

TEST_F(EditWithButtonWindow, WithoutAnOwnerTheParentGetsIt)
{
    Release(Centre(m_dialog.m_edit.GetButtonRect()));
    EXPECT_EQ(m_dialog.buttonMessages, 1);
    Release(Centre(m_dialog.m_edit.GetTextRect()));
    EXPECT_EQ(m_dialog.buttonMessages, 1);
}

TEST_F(EditWithButtonWindow, TheArrowOutsideTheTextRectangle)
{
    CEditWithButton &edit = m_dialog.m_edit;
    const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR beam = ::LoadCursorW(nullptr, IDC_IBEAM);
    const LPARAM hit = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    PutUnderPointer(Centre(edit.GetTextRect()));
    edit.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(edit.GetSafeHwnd()), hit);
    EXPECT_EQ(::GetCursor(), beam);

    PutUnderPointer(Centre(edit.GetButtonRect()));
    EXPECT_TRUE(edit.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(edit.GetSafeHwnd()), hit));
    EXPECT_EQ(::GetCursor(), arrow);

    CRect client;
    edit.GetClientRect(&client);
    PutUnderPointer(CPoint(2, Centre(client).y));
    ::SetCursor(beam);
    EXPECT_TRUE(edit.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(edit.GetSafeHwnd()), hit));
    EXPECT_EQ(::GetCursor(), arrow);
}

TEST_F(EditWithButtonWindow, TheTextRectangleFollowsSizeAndFont)
{
    CEditWithButton &edit = m_dialog.m_edit;
    ASSERT_TRUE((edit.GetStyle() & ES_MULTILINE) != 0);
    EXPECT_FALSE((edit.GetStyle() & WS_BORDER) != 0);
    CRect client;
    edit.GetClientRect(&client);
    EXPECT_EQ(edit.GetTextRect(), editbutton::AreasOf(client).text);
    EXPECT_EQ(GivenRect(edit).left, edit.GetTextRect().left);
    EXPECT_EQ(GivenRect(edit).right, edit.GetTextRect().right);

    edit.SetWindowPos(nullptr, 0, 0, client.Width() + 60, client.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    edit.GetClientRect(&client);
    EXPECT_EQ(edit.GetTextRect(), editbutton::AreasOf(client).text);
    EXPECT_EQ(edit.GetButtonRect(), editbutton::AreasOf(client).button);
    EXPECT_EQ(GivenRect(edit).right, edit.GetTextRect().right);

    // A new font resets the edit's own rectangle; ours is put back.
    EXPECT_EQ(edit.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(SYSTEM_FONT)), TRUE), 0);
    EXPECT_EQ(GivenRect(edit).left, edit.GetTextRect().left);
    EXPECT_EQ(GivenRect(edit).right, edit.GetTextRect().right);

    edit.SetWindowText(L"D:\\Backup");
    CString text;
    edit.GetWindowText(text);
    EXPECT_STREQ(text, L"D:\\Backup");
}

TEST_F(EditWithButtonWindow, TheSecondFrameFlagSwitchesThePieces)
{
    CEditWithButton &edit = m_dialog.m_edit;
    CRect outer;
    edit.GetWindowRect(&outer);
    const int width = outer.Width();
    const int height = outer.Height();
    ASSERT_GT(width, 60);
    ASSERT_GT(height, 10);
    // Rows of the pieces map onto the window from two pixels above it; row 14 of a 24-row piece lies inside
    // the folder of the right piece and inside the middle's face.
    const int y = 14 * height / 24 - 2 + 1;
    const CPoint middle(width / 2, y);
    const CPoint folder(width - 30 + 15, y);

    const COLORREF normalFace = ResourcePixel(IDB_EDIT_FRAME_MIDDLE, 1, 14);
    const COLORREF secondFace = ResourcePixel(IDB_EDIT_FRAME2_MIDDLE, 1, 14);
    const COLORREF normalFolder = ResourcePixel(IDB_EDIT_FRAME_RIGHT, 15, 14);
    const COLORREF secondFolder = ResourcePixel(IDB_EDIT_FRAME2_RIGHT, 15, 14);
    ASSERT_NE(normalFace, secondFace);
    ASSERT_NE(normalFolder, secondFolder);

    MemoryCanvas normal(width, height, kMagenta);
    EXPECT_EQ(edit.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(normal.Dc())), 1);
    EXPECT_EQ(normal.Pixel(middle.x, middle.y), normalFace);
    EXPECT_EQ(normal.Pixel(folder.x, folder.y), normalFolder);
    // The pieces start two pixels above the window, so its last two rows are not drawn.
    EXPECT_EQ(normal.Pixel(middle.x, height - 1), kMagenta);

    edit.m_bSecondFrame = TRUE;
    MemoryCanvas second(width, height, kMagenta);
    edit.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(second.Dc()));
    EXPECT_EQ(second.Pixel(middle.x, middle.y), secondFace);
    EXPECT_EQ(second.Pixel(folder.x, folder.y), secondFolder);

    edit.m_bSecondFrame = FALSE;
    MemoryCanvas again(width, height, kMagenta);
    edit.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(again.Dc()));
    EXPECT_EQ(again.Pixel(middle.x, middle.y), normalFace);
}

TEST_F(EditWithButtonWindow, BitmapsThatFailToLoadAreLeftOut)
{
    CEditWithButton &edit = m_dialog.m_edit;
    edit.SetFrameBitmaps(9991, 9992, 9993);
    CRect outer;
    edit.GetWindowRect(&outer);
    MemoryCanvas canvas(outer.Width(), outer.Height(), kMagenta);
    EXPECT_EQ(edit.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc())), 1);
    for (int x : {1, outer.Width() / 2, outer.Width() - 2})
        EXPECT_EQ(canvas.Pixel(x, outer.Height() / 2), kMagenta) << x;

    // The second frame was never loaded in this one.
    CEditWithButton bare;
    bare.m_bSecondFrame = TRUE;
    HWND hWnd = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0, 200, 24,
                                  m_dialog.GetSafeHwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(bare.SubclassWindow(hWnd));
    MemoryCanvas other(200, 24, kMagenta);
    EXPECT_EQ(bare.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(other.Dc())), 1);
    EXPECT_EQ(other.Pixel(100, 10), kMagenta);
    bare.SendMessage(WM_KEYDOWN, 'A', 0);
    bare.SendMessage(WM_CHAR, 'A', 0);
    CString text;
    bare.GetWindowText(text);
    EXPECT_STREQ(text, L"A");
}
