// The wizard buttons as windows over a picture: heights and regions, double clicks, hover under the real pointer,
// and the picture of every state beside a transparent static and a transparent push button (wizard_buttons.png).
#include <gtest/gtest.h>

#include "ButtonsWindowSupport.h"
#include "support/TestSupport.h"

using namespace buttonwindow;
using testsupport::DibCanvas;

namespace
{

const COLORREF kMagenta = RGB(255, 0, 255);

class WizardButtonWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ::SetCursorPos(1270, 1010);
        ASSERT_TRUE(m_dialog.Create(IDD_WIZARD_TEST));
        m_dialog.SetWindowPos(nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m_dialog.SetForegroundWindow();
        m_dialog.SetActiveWindow();
        PumpFor(150);
    }
    void TearDown() override
    {
        if (m_dialog.GetSafeHwnd() != nullptr)
            m_dialog.DestroyWindow();
        PumpPending();
    }

    // The template height of a control, in pixels.
    int TemplateHeight(int dialogUnits)
    {
        CRect units(0, 0, 10, dialogUnits);
        m_dialog.MapDialogRect(&units);
        return units.Height();
    }

    LanguageLibrary m_language;
    CWizardTestDlg m_dialog;
};

} // namespace

TEST_F(WizardButtonWindow, OneLineButtonsTakeTheHeightOfTheirPiecesAndARoundRegion)
{
    struct Case
    {
        TestWizardButton *button;
        int height;
    };
    const Case cases[] = {
        {&m_dialog.m_normal, 32},
        {&m_dialog.m_pressed, 32},
        {&m_dialog.m_choice, 44},
        {&m_dialog.m_multi, TemplateHeight(40)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.button->GetDlgCtrlID());
        CRect window;
        c.button->GetWindowRect(&window);
        EXPECT_EQ(window.Height(), c.height);
        EXPECT_EQ(c.button->GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
        CRgn region;
        ASSERT_TRUE(region.CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(::GetWindowRgn(c.button->GetSafeHwnd(), region), ERROR);
        CRect box;
        region.GetRgnBox(&box);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.left, 0);
        EXPECT_GE(box.bottom, c.height - 1);
        // Fully rounded ends: the corners are cut, the middle of each end is not.
        EXPECT_FALSE(region.PtInRegion(1, 1));
        EXPECT_FALSE(region.PtInRegion(window.Width() - 2, c.height - 2));
        EXPECT_TRUE(region.PtInRegion(1, c.height / 2));
        EXPECT_TRUE(region.PtInRegion(window.Width() / 2, 1));
    }
    EXPECT_TRUE(m_dialog.m_multi.m_multiLine);
    EXPECT_FALSE(m_dialog.m_normal.m_multiLine);
}

TEST_F(WizardButtonWindow, DoubleClickActsAsASecondClick)
{
    TestWizardButton &button = m_dialog.m_normal;
    const LPARAM at = MAKELPARAM(20, 10);
    button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    button.PostMessage(WM_LBUTTONUP, 0, at);
    button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    button.PostMessage(WM_LBUTTONUP, 0, at);
    // Dispatched plainly: the button's own window procedure turns the double click into a press.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(m_dialog.clicked, (std::vector<UINT>{IDC_WIZ_NORMAL, IDC_WIZ_NORMAL}));
    EXPECT_TRUE(m_dialog.doubleClicked.empty());
}

TEST_F(WizardButtonWindow, HoverUnderThePointerAndLeave)
{
    TestWizardButton &button = m_dialog.m_hover;
    CRect rect;
    button.GetWindowRect(&rect);
    ::SetCursorPos(rect.CenterPoint().x, rect.CenterPoint().y);
    EXPECT_TRUE(PumpUntil([&] { return button.m_hover != 0; }, 3000));
    ::SetCursorPos(1270, 1010);
    EXPECT_TRUE(PumpUntil([&] { return button.m_hover == 0; }, 3000));
}

TEST_F(WizardButtonWindow, PictureOfEveryStateBesideATransparentStatic)
{
    m_dialog.m_focused.SetFocus();
    m_dialog.m_pressed.SendMessage(BM_SETSTATE, TRUE);
    CRect hover;
    m_dialog.m_hover.GetWindowRect(&hover);
    ::SetCursorPos(hover.CenterPoint().x, hover.CenterPoint().y);
    ASSERT_TRUE(PumpUntil([&] { return m_dialog.m_hover.m_hover != 0; }, 3000));
    m_dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(300);

    CRect client;
    m_dialog.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height(), RGB(1, 2, 3));
    CaptureClient(m_dialog.GetSafeHwnd(), canvas);
    EXPECT_TRUE(canvas.SavePng(testsupport::BuildFolder() + L"wizard_buttons.png"));
    ::SetCursorPos(1270, 1010);

    // No key colour anywhere; the picture shows in the cut corners of the pills.
    EXPECT_EQ(canvas.Count(client, kMagenta), 0);
    for (const TestWizardButton *button : {&m_dialog.m_normal, &m_dialog.m_choice, &m_dialog.m_pressed})
    {
        const CRect rect = RectInParent(*button);
        EXPECT_EQ(canvas.At(rect.left, rect.top), CWizardTestDlg::PictureAt(rect.left, rect.top));
        EXPECT_NE(canvas.At(rect.CenterPoint().x, rect.top + 3),
                  CWizardTestDlg::PictureAt(rect.CenterPoint().x, rect.top + 3));
    }
    // The states differ from one another at the middle of the top border.
    auto topBorder = [&](const CWnd &button) {
        const CRect rect = RectInParent(button);
        return canvas.At(rect.CenterPoint().x, rect.top);
    };
    const COLORREF normal = topBorder(m_dialog.m_normal);
    EXPECT_NE(topBorder(m_dialog.m_disabled), normal);
    EXPECT_NE(topBorder(m_dialog.m_focused), normal);
    EXPECT_NE(topBorder(m_dialog.m_hover), normal);
    EXPECT_EQ(topBorder(m_dialog.m_hover), topBorder(m_dialog.m_focused));
    EXPECT_NE(topBorder(m_dialog.m_pressed), normal);

    // The static's text and the transparent push button's caption stand on the picture: their rectangles show
    // the picture between the letters.
    for (const CWnd *control : std::initializer_list<const CWnd *>{&m_dialog.m_static, &m_dialog.m_transparent})
    {
        SCOPED_TRACE(control->GetDlgCtrlID());
        const CRect text = RectInParent(*control);
        int picture = 0;
        int other = 0;
        for (int y = text.top; y < text.bottom; ++y)
        {
            for (int x = text.left; x < text.right; ++x)
            {
                if (canvas.At(x, y) == CWizardTestDlg::PictureAt(x, y))
                    ++picture;
                else
                    ++other;
            }
        }
        EXPECT_GT(picture, text.Width() * text.Height() / 2);
        EXPECT_GT(other, 20) << "the text itself";
    }
}
