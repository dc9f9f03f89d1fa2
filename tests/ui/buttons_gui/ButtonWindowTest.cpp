// The owner-drawn buttons as windows in a dialog: restyling, default button, check box, double clicks, the focus
// when a button is disabled, tooltips, hover under the real pointer, the picture of every kind (buttons.png),
// the button's owner-drawn menu in both looks (menus.png) and opened under the button.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ButtonsWindowSupport.h"
#include "platform/system/Seam.h"
#include "support/TestSupport.h"
#include "ui/menu/BCMenu.h"

using namespace buttonwindow;
using testsupport::DibCanvas;

namespace
{

int VersionXP()
{
    return WIN_VERSION_XP;
}
int VersionVista()
{
    return WIN_VERSION_NT_OTHER;
}
BOOL NotClassic()
{
    return FALSE;
}

// The menus' look for the life of the object.
class MenuLook
{
  public:
    explicit MenuLook(bool flat)
        : m_version(g_pfnWinVersionCode, flat ? &VersionXP : &VersionVista), m_classic(g_pfnIsClassicTheme, &NotClassic)
    {
    }

  private:
    SeamOverride<PFN_WIN_VERSION_CODE> m_version;
    SeamOverride<PFN_IS_CLASSIC_THEME> m_classic;
};

LPARAM Centre(const CWnd &control)
{
    CRect client;
    control.GetClientRect(&client);
    return MAKELPARAM(client.Width() / 2, client.Height() / 2);
}

void Click(CWnd &control)
{
    control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Centre(control));
    control.SendMessage(WM_LBUTTONUP, 0, Centre(control));
}

UINT DialogCode(const CWnd &control)
{
    return static_cast<UINT>(control.SendMessage(WM_GETDLGCODE));
}

CString TipText(const TestButtonWithTip &button)
{
    wchar_t text[128] = {};
    TTTOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = button.GetSafeHwnd();
    info.uId = 1;
    info.lpszText = text;
    button.m_toolTip.SendMessage(TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
    return text;
}

int CountIn(const DibCanvas &canvas, const CRect &rect, COLORREF colour)
{
    return canvas.Count(rect, colour);
}

class ButtonWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // The pointer waits in a corner, away from the dialog.
        ::SetCursorPos(1270, 1010);
        ASSERT_TRUE(m_dialog.Create(IDD_BUTTONS_TEST));
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

    CButtonsTestDlg m_dialog;
};

} // namespace

TEST_F(ButtonWindow, RestyledOwnerDrawnWithTheDefaultPushButton)
{
    for (CWnd *button : std::initializer_list<CWnd *>{&m_dialog.m_flat, &m_dialog.m_grey, &m_dialog.m_icon,
                                                      &m_dialog.m_default, &m_dialog.m_check, &m_dialog.m_disabled,
                                                      &m_dialog.m_themed, &m_dialog.m_fallback})
        EXPECT_EQ(button->GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW)) << button->GetDlgCtrlID();

    EXPECT_TRUE(m_dialog.m_default.m_defaultButton);
    EXPECT_NE(DialogCode(m_dialog.m_default) & DLGC_DEFPUSHBUTTON, 0u);
    EXPECT_EQ(DialogCode(m_dialog.m_default) & DLGC_UNDEFPUSHBUTTON, 0u);
    EXPECT_FALSE(m_dialog.m_flat.m_defaultButton);
    EXPECT_NE(DialogCode(m_dialog.m_flat) & DLGC_UNDEFPUSHBUTTON, 0u);
    EXPECT_EQ(DialogCode(m_dialog.m_flat) & DLGC_DEFPUSHBUTTON, 0u);
    EXPECT_TRUE(m_dialog.m_check.m_checkBoxMode);
    EXPECT_FALSE(m_dialog.m_flat.m_checkBoxMode);

    // The dialog manager moves the default look with BM_SETSTYLE; the button stays owner-drawn.
    m_dialog.m_flat.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(m_dialog.m_flat.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_NE(DialogCode(m_dialog.m_flat) & DLGC_DEFPUSHBUTTON, 0u);
    m_dialog.m_flat.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(m_dialog.m_flat.GetStyle() & 0x1F, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_NE(DialogCode(m_dialog.m_flat) & DLGC_UNDEFPUSHBUTTON, 0u);
}

TEST_F(ButtonWindow, CheckBoxButtonTogglesAndTheDialogSeesTheClick)
{
    TestButton &check = m_dialog.m_check;
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), 0);
    Click(check);
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), 1);
    Click(check);
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), 0);
    EXPECT_EQ(m_dialog.clicked, (std::vector<UINT>{IDC_BTN_CHECK, IDC_BTN_CHECK}));
    EXPECT_EQ(::GetFocus(), check.GetSafeHwnd());

    struct Set
    {
        WPARAM value;
        LRESULT checked;
    };
    for (const Set &set : {Set{BST_CHECKED, 1}, Set{BST_UNCHECKED, 0}, Set{BST_INDETERMINATE, 1}, Set{7, 0}})
    {
        EXPECT_EQ(check.SendMessage(BM_SETCHECK, set.value), 0);
        EXPECT_EQ(check.SendMessage(BM_GETCHECK), set.checked) << set.value;
    }
    // A push button has no check state.
    m_dialog.m_flat.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(m_dialog.m_flat.SendMessage(BM_GETCHECK), 0);
    Click(m_dialog.m_flat);
    EXPECT_EQ(m_dialog.m_flat.SendMessage(BM_GETCHECK), 0);
}

TEST_F(ButtonWindow, DoubleClickThroughPreTranslateIsTwoClicks)
{
    TestButton &button = m_dialog.m_flat;
    const LPARAM at = Centre(button);
    auto postDoubleClick = [&] {
        button.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        button.PostMessage(WM_LBUTTONUP, 0, at);
        button.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        button.PostMessage(WM_LBUTTONUP, 0, at);
    };
    postDoubleClick();
    PumpPending();
    EXPECT_EQ(m_dialog.clicked, (std::vector<UINT>{IDC_BTN_FLAT, IDC_BTN_FLAT}));
    EXPECT_TRUE(m_dialog.doubleClicked.empty());

    // Dispatched without the pre-translation, the owner-drawn button reports a double click instead.
    m_dialog.clicked.clear();
    postDoubleClick();
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
    EXPECT_EQ(m_dialog.clicked, (std::vector<UINT>{IDC_BTN_FLAT}));
    EXPECT_EQ(m_dialog.doubleClicked, (std::vector<UINT>{IDC_BTN_FLAT}));
}

TEST_F(ButtonWindow, DisablingMovesTheFocusOnlyFromTheFocusedButton)
{
    m_dialog.m_flat.SetFocus();
    ASSERT_EQ(::GetFocus(), m_dialog.m_flat.GetSafeHwnd());
    m_dialog.m_flat.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), m_dialog.m_grey.GetSafeHwnd()) << "the next tab stop";
    m_dialog.m_flat.EnableWindow(TRUE);

    // The user works in the edit box while the selection disables buttons elsewhere.
    CWnd *edit = m_dialog.GetDlgItem(IDC_BTN_EDIT);
    edit->SetFocus();
    ASSERT_EQ(::GetFocus(), edit->GetSafeHwnd());
    m_dialog.m_grey.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), edit->GetSafeHwnd());
    m_dialog.m_flat.EnableWindow(FALSE);
    EXPECT_EQ(::GetFocus(), edit->GetSafeHwnd());
}

TEST_F(ButtonWindow, TooltipTexts)
{
    TestButtonWithTip &button = m_dialog.m_flat;
    // The pumped messages have passed the button's PreTranslateMessage: the tooltip is there, without a tool.
    ASSERT_NE(button.m_toolTip.GetSafeHwnd(), nullptr);
    button.SetTooltipText(nullptr);
    EXPECT_EQ(button.m_toolTip.GetToolCount(), 0) << "a null text changes nothing";
    button.SetTooltipTextId(59999);
    EXPECT_EQ(button.m_toolTip.GetToolCount(), 0) << "nor does a string that is not there";
    button.SetTooltipText(L"First tip", TRUE);
    EXPECT_EQ(button.m_toolTip.GetToolCount(), 1);
    EXPECT_EQ(TipText(button), L"First tip");
    button.SetTooltipText(L"Second tip", FALSE);
    EXPECT_EQ(button.m_toolTip.GetToolCount(), 1);
    EXPECT_EQ(TipText(button), L"Second tip");
    button.SetTooltipTextId(59999);
    EXPECT_EQ(TipText(button), L"Second tip") << "a string that is not there changes nothing";
    button.SetTooltipTextId(IDS_BUTTON_TIP);
    EXPECT_EQ(TipText(button), L"A tip from the string table");
}

TEST_F(ButtonWindow, HoverUnderThePointerLightsUpAndLeavingClearsIt)
{
    TestButton &button = m_dialog.m_flat;
    CRect rect;
    button.GetWindowRect(&rect);
    ::SetCursorPos(rect.CenterPoint().x, rect.CenterPoint().y);
    EXPECT_TRUE(PumpUntil([&] { return button.m_hover != FALSE; }, 3000));
    ::SetCursorPos(1270, 1010);
    EXPECT_TRUE(PumpUntil([&] { return button.m_hover == FALSE; }, 3000));
}

TEST_F(ButtonWindow, PictureOfEveryKind)
{
    m_dialog.m_check.SendMessage(BM_SETCHECK, BST_CHECKED);
    m_dialog.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(300);
    CRect client;
    m_dialog.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height(), RGB(1, 2, 3));
    CaptureClient(m_dialog.GetSafeHwnd(), canvas);
    EXPECT_TRUE(canvas.SavePng(testsupport::BuildFolder() + L"buttons.png"));

    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF red = RGB(255, 0, 0);
    // The grey copy while the pointer is elsewhere; the out icon.
    const CRect grey = RectInParent(m_dialog.m_grey);
    EXPECT_GT(CountIn(canvas, grey, NewUI::buttonst::GreyOf(red)), 20);
    EXPECT_EQ(CountIn(canvas, grey, red), 0);
    EXPECT_GT(CountIn(canvas, RectInParent(m_dialog.m_icon), RGB(0x90, 0x90, 0x90)), 20);
    // The disabled caption is embossed: a highlight copy under the shadow-coloured one.
    const CRect disabled = RectInParent(m_dialog.m_disabled);
    EXPECT_GT(CountIn(canvas, disabled, ::GetSysColor(COLOR_BTNHIGHLIGHT)), 5);
    EXPECT_GT(CountIn(canvas, disabled, ::GetSysColor(COLOR_BTNSHADOW)), 5);
    // Checked: pressed, so the flat border shows sunken.
    const CRect check = RectInParent(m_dialog.m_check);
    EXPECT_EQ(canvas.At(check.left, check.top), ::GetSysColor(COLOR_BTNSHADOW));
    // The themed face is unlike the fallback's plain face (no border while the pointer is elsewhere).
    const CRect themed = RectInParent(m_dialog.m_themed);
    const CRect fallback = RectInParent(m_dialog.m_fallback);
    const CRect themedEdge(themed.left, themed.top, themed.left + 3, themed.bottom);
    const CRect fallbackEdge(fallback.left, fallback.top, fallback.left + 3, fallback.bottom);
    EXPECT_EQ(CountIn(canvas, fallbackEdge, face), fallbackEdge.Width() * fallbackEdge.Height());
    EXPECT_LT(CountIn(canvas, themedEdge, face), themedEdge.Width() * themedEdge.Height() / 2);

    // Hovered, the grey button shows its coloured picture.
    m_dialog.m_grey.m_hover = TRUE;
    m_dialog.m_grey.RedrawWindow();
    PumpFor(100);
    CaptureClient(m_dialog.GetSafeHwnd(), canvas);
    EXPECT_GT(CountIn(canvas, grey, red), 20);
}

TEST_F(ButtonWindow, MenuOfTheButtonInBothLooks)
{
    // Every kind of item, flat look first (its images get their washed and dark copies), then classic.
    struct Item
    {
        LPCWSTR text;
        UINT_PTR command;
        bool image;
        UINT state;
    };
    const Item items[] = {
        {L"&New\tCtrl+N", ID_MENU_NEW, true, 0},
        {L"Open\tCtrl+O", ID_MENU_OPEN, true, ODS_SELECTED},
        {L"Save (disabled image)", ID_MENU_SAVE, true, ODS_GRAYED},
        {L"New, checked", ID_MENU_NEW, false, ODS_CHECKED},
        {L"", 0, false, 0},
        {L"Checked", 210, false, ODS_CHECKED},
        {L"Radio", 211, false, ODS_CHECKED},
        {L"Checked and selected", 212, false, ODS_CHECKED | ODS_SELECTED},
        {L"Disabled", 213, false, ODS_GRAYED},
        {L"Disabled under the mouse", 214, false, ODS_GRAYED | ODS_SELECTED},
        {L"Selected\tone\ttwo", 215, false, ODS_SELECTED},
    };
    CBitmap dot;
    ASSERT_TRUE(dot.CreateBitmap(8, 8, 1, 1, nullptr));
    const int columnWidth = 240;
    const COLORREF unpainted = RGB(1, 2, 3);
    DibCanvas canvas(2 * columnWidth + 10, 260, unpainted);
    // The classic look leaves the image column of a selected item as the unselected drawing left it, on the
    // menu's own background.
    canvas.Fill({0, 0, columnWidth, 260}, ::GetSysColor(COLOR_MENU));
    // The menu loop hands its items a DC that carries the menu font.
    CFont font;
    ASSERT_TRUE(CreateMenuFont(font));
    CSelectObjectGuard fontSelected(canvas.Dc(), font.GetSafeHandle());
    BCMenu menus[2];
    for (int look = 0; look < 2; ++look)
    {
        const bool flat = look == 0;
        MenuLook applied(flat);
        BCMenu &menu = menus[look];
        ASSERT_TRUE(menu.CreatePopupMenu());
        for (const Item &item : items)
            menu.AppendODMenu(item.text, MF_OWNERDRAW, item.command, item.image ? IDR_BUTTON_TOOLBAR : -1);
        ::SetMenuItemBitmaps(menu.GetSafeHmenu(), 211, MF_BYCOMMAND, nullptr, dot);
        const int left = flat ? columnWidth + 10 : 0;
        int top = 0;
        for (INT_PTR i = 0; i < menu.m_menuItems.GetSize(); ++i)
        {
            BCMenuData *record = menu.m_menuItems[i];
            MEASUREITEMSTRUCT measure = {ODT_MENU, 0, static_cast<UINT>(record->m_command),
                                         0,        0, reinterpret_cast<ULONG_PTR>(record)};
            menu.MeasureItem(&measure);
            const RECT rect = {left, top, left + columnWidth, top + static_cast<int>(measure.itemHeight)};
            DRAWITEMSTRUCT draw = {};
            draw.CtlType = ODT_MENU;
            draw.itemID = static_cast<UINT>(record->m_command);
            draw.itemAction = ODA_DRAWENTIRE;
            draw.itemState = items[i].state;
            draw.hwndItem = reinterpret_cast<HWND>(menu.GetSafeHmenu());
            draw.hDC = canvas.Dc();
            draw.rcItem = rect;
            draw.itemData = reinterpret_cast<ULONG_PTR>(record);
            menu.DrawItem(&draw);
            EXPECT_EQ(canvas.Count(rect, unpainted), 0) << "item " << i << " painted whole";
            top = rect.bottom;
        }
        if (flat)
        {
            EXPECT_TRUE(BCMenu::HasImageCopies(menu.m_menuItems[0]->m_globalImage));
            EXPECT_EQ(canvas.At(left + 2, 9), ::GetSysColor(COLOR_BTNFACE)) << "the image column";
        }
        else
        {
            // The selected item is highlighted beside its image.
            const int selectedTop = ::GetSystemMetrics(SM_CYMENU) + 2;
            EXPECT_EQ(canvas.At(left + 100, selectedTop), ::GetSysColor(COLOR_HIGHLIGHT));
        }
    }
    EXPECT_TRUE(canvas.SavePng(testsupport::BuildFolder() + L"menus.png"));
}

namespace
{

// Filled by the owner's timer while the menu loop runs.
struct OpenMenu
{
    int ticks = 0;
    CRect rect;
    std::unique_ptr<DibCanvas> picture;
};
OpenMenu g_openMenu;

void CALLBACK CaptureOpenMenu(HWND owner, UINT, UINT_PTR id, DWORD)
{
    ++g_openMenu.ticks;
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup != nullptr && ::IsWindowVisible(popup) && !g_openMenu.picture)
    {
        ::GetWindowRect(popup, &g_openMenu.rect);
        g_openMenu.picture = std::make_unique<DibCanvas>(g_openMenu.rect.Width(), g_openMenu.rect.Height(), 0);
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(g_openMenu.picture->Dc(), 0, 0, g_openMenu.rect.Width(), g_openMenu.rect.Height(), screen,
                 g_openMenu.rect.left, g_openMenu.rect.top, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
        // The item's mnemonic, typed: owner-drawn items have no text, so the menu asks its owner.
        ::PostMessageW(popup, WM_CHAR, 'x', 0);
        return;
    }
    if (g_openMenu.ticks > 30)
    {
        ::KillTimer(owner, id);
        ::EndMenu();
    }
}

} // namespace

TEST_F(ButtonWindow, OpenMenuUnderTheButtonIsOwnerDrawnAndAnswersItsMnemonic)
{
    MenuLook flat(true);
    TestButton &button = m_dialog.m_flat;
    ASSERT_TRUE(button.m_menu.LoadMenu(IDR_BUTTON_MENU));
    CMenu *file = button.m_menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(BCMenu::IsMenu(file));

    g_openMenu = OpenMenu();
    button.SetTimer(7, 200, &CaptureOpenMenu);
    CRect rect;
    button.GetWindowRect(&rect);
    const UINT chosen = static_cast<UINT>(
        file->TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, rect.left, rect.bottom, &button));
    button.KillTimer(7);
    EXPECT_EQ(chosen, static_cast<UINT>(ID_MENU_EXIT));
    ASSERT_TRUE(g_openMenu.picture);

    // Drawn by the menu in the flat look: the image column in the face colour beside the white text area.
    const DibCanvas &picture = *g_openMenu.picture;
    const int middle = picture.Height() / 2;
    const CRect inside(4, 4, picture.Width() - 4, picture.Height() - 4);
    EXPECT_GT(picture.Count(inside, ::GetSysColor(COLOR_WINDOW)), inside.Width() * inside.Height() / 4);
    EXPECT_EQ(picture.At(8, middle), ::GetSysColor(COLOR_BTNFACE));
    g_openMenu = OpenMenu();
}
