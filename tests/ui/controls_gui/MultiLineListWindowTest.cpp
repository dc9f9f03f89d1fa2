// The multi-line list as a window: a custom control of a dialog template, driven by messages.
#include <gtest/gtest.h>

#include <vector>

#include "ControlsTestDialog.h"

using namespace controlstest;

namespace
{

class MultiLineListWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dialog.Create(IDD_CONTROLS_TEST));
        ASSERT_NE(m_dialog.m_list.GetSafeHwnd(), nullptr);
        PumpPending();
    }
    void TearDown() override
    {
        if (m_dialog.GetSafeHwnd() != nullptr)
            m_dialog.DestroyWindow();
        PumpPending();
    }

    // Sends a click at a client point and lets the posted notification arrive.
    void Click(int x, int y)
    {
        m_dialog.listCommands.clear();
        m_dialog.m_list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PumpPending();
    }

    bool HasUpdateRegion() const
    {
        return ::GetUpdateRect(m_dialog.m_list.GetSafeHwnd(), nullptr, FALSE) != FALSE;
    }

    CControlsTestDlg m_dialog;
};

} // namespace

TEST_F(MultiLineListWindow, EveryClickPostsTheCommandAlsoBelowTheLastRow)
{
    CMultilineList &list = m_dialog.m_list;
    list.SetSize(2, 3);
    CRect data = list.GetDataRect();
    const mllist::CMultilineListModel &model = list.GetModel();
    ASSERT_GT(model.GetRowHeight(0), 5);
    ASSERT_LT(model.GetContentHeight(), data.Height());
    const WPARAM expected = MAKEWPARAM(IDC_TEST_LIST, 1);

    Click(data.left + 10, data.top + model.GetRowTop(1) + 1);
    EXPECT_EQ(list.GetSelectedRow(), 1);
    ASSERT_EQ(m_dialog.listCommands.size(), 1u);
    EXPECT_EQ(m_dialog.listCommands[0].wParam, expected);
    EXPECT_EQ(m_dialog.listCommands[0].lParam, reinterpret_cast<LPARAM>(list.GetSafeHwnd()));

    Click(data.left + 10, data.top + model.GetContentHeight() + 2);
    EXPECT_EQ(list.GetSelectedRow(), -1);
    ASSERT_EQ(m_dialog.listCommands.size(), 1u);
    EXPECT_EQ(m_dialog.listCommands[0].wParam, expected);
    EXPECT_EQ(m_dialog.listCommands[0].lParam, reinterpret_cast<LPARAM>(list.GetSafeHwnd()));

    // An empty list notifies as well.
    list.SetSize(0, 0);
    Click(data.left + 10, data.top + 10);
    EXPECT_EQ(list.GetSelectedRow(), -1);
    EXPECT_EQ(m_dialog.listCommands.size(), 1u);
}

TEST_F(MultiLineListWindow, ClickOnAPartlyShownRowScrollsItIntoView)
{
    CMultilineList &list = m_dialog.m_list;
    list.SetSize(1, 30);
    CRect data = list.GetDataRect();
    const mllist::CMultilineListModel &model = list.GetModel();
    ASSERT_GT(model.GetContentHeight(), data.Height());
    // Content taller than the view: the vertical bar shows and takes its width from the data.
    CWnd *bar = list.GetDlgItem(CMultilineList::kVerticalBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE((bar->GetStyle() & WS_VISIBLE) != 0);

    int row = model.RowAt(data.Height() - 1);
    ASSERT_GE(row, 0);
    Click(data.left + 5, data.bottom - 1);
    EXPECT_EQ(list.GetSelectedRow(), row);
    EXPECT_EQ(model.GetRowTop(row) + model.GetRowHeight(row) - list.GetVerticalPosition(), data.Height());
    EXPECT_EQ(m_dialog.listCommands.size(), 1u);

    // Back to a few rows: the bar goes again.
    list.SetSize(1, 1);
    EXPECT_FALSE((bar->GetStyle() & WS_VISIBLE) != 0);
}

TEST_F(MultiLineListWindow, SettingTheSameTextLeavesNoUpdateRegion)
{
    CMultilineList &list = m_dialog.m_list;
    m_dialog.ShowWindow(SW_SHOWNOACTIVATE);
    list.SetSize(2, 2);
    list.SetItemText(0, 0, L"Source");
    PumpFor(100);
    list.ValidateRect(nullptr);
    ASSERT_FALSE(HasUpdateRegion());

    list.SetItemText(0, 0, L"Source");
    list.SetItemText(1, 1, L" ");
    list.SetColumnWidth(0, 100);
    list.SetSize(2, 2);
    EXPECT_FALSE(HasUpdateRegion());

    list.SetItemText(0, 0, L"Destination");
    EXPECT_TRUE(HasUpdateRegion());
}

TEST_F(MultiLineListWindow, WheelOnAnEmptyListIsHarmless)
{
    CMultilineList &list = m_dialog.m_list;
    CRect screen;
    list.GetWindowRect(&screen);
    LPARAM at = MAKELPARAM(screen.left + 5, screen.top + 5);
    for (short delta : {-120, 120, -1200})
    {
        list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), at);
        EXPECT_EQ(list.GetVerticalPosition(), 0);
    }
    // Rows but no columns: the rows have no height.
    list.SetSize(0, 4);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), at);
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(list.GetVerticalPosition(), 0);

    // A position left past the last row by fewer rows stays put.
    list.SetSize(1, 40);
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 400), 0);
    EXPECT_EQ(list.GetVerticalPosition(), 400);
    list.SetSize(1, 2);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), at);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), at);
    EXPECT_EQ(list.GetVerticalPosition(), 400);
    // Painting such a list draws no row and does not fail.
    m_dialog.ShowWindow(SW_SHOWNOACTIVATE);
    list.UpdateWindow();
}

TEST_F(MultiLineListWindow, WheelStepsOneRowAndScrollBarsFollow)
{
    CMultilineList &list = m_dialog.m_list;
    list.SetSize(1, 30);
    const mllist::CMultilineListModel &model = list.GetModel();
    CRect screen;
    list.GetWindowRect(&screen);
    LPARAM at = MAKELPARAM(screen.left + 5, screen.top + 5);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-360)), at);
    EXPECT_EQ(list.GetVerticalPosition(), model.GetRowHeight(0));
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(list.GetDlgItem(CMultilineList::kVerticalBarId)->GetSafeHwnd(), SB_CTL, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, model.GetContentHeight());
    EXPECT_EQ(static_cast<int>(info.nPage), list.GetDataRect().Height());
    EXPECT_EQ(info.nPos, list.GetVerticalPosition());
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), at);
    list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), at);
    EXPECT_EQ(list.GetVerticalPosition(), 0);
}

TEST(MultiLineListFont, AParentWithoutAFontGivesTheDefaultGuiFont)
{
    // A plain parent window answers WM_GETFONT with no font.
    HWND parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ASSERT_EQ(::SendMessageW(parent, WM_GETFONT, 0, 0), 0);
    {
        CMultilineList list;
        HWND child =
            ::CreateWindowExW(0, L"CMultilineList", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, parent,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(7)), ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(child, nullptr);
        ASSERT_TRUE(list.SubclassWindow(child));
        list.SetSize(1, 1);

        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        int expected = mllist::MeasureCellHeight(dc, L" ", 100);
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        EXPECT_EQ(list.GetModel().GetRowHeight(0), expected);
    }
    ::DestroyWindow(parent);
}

namespace
{

// A dialog template in memory with one list control, for a module other than the program.
std::vector<WORD> ListTemplate()
{
    std::vector<WORD> words;
    auto dword = [&](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    auto text = [&](LPCWSTR s) {
        for (; *s != L'\0'; ++s)
            words.push_back(static_cast<WORD>(*s));
        words.push_back(0);
    };
    dword(WS_POPUP);
    dword(0);
    words.push_back(1);                         // one item
    words.insert(words.end(), {0, 0, 100, 60}); // x, y, cx, cy
    words.insert(words.end(), {0, 0, 0});       // no menu, default class, no title
    if (words.size() % 2 != 0)
        words.push_back(0);
    dword(WS_CHILD | WS_VISIBLE);
    dword(0);
    words.insert(words.end(), {5, 5, 80, 40, 321}); // x, y, cx, cy, id
    text(L"CMultilineList");
    text(L"");
    words.push_back(0); // no creation data
    return words;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

TEST(MultiLineListClass, TemplatesOfAnotherModuleFindTheClass)
{
    CMultilineList list; // registers the class
    std::vector<WORD> words = ListTemplate();
    // The language library's dialogs create their controls for the library's module, not the program's.
    HINSTANCE other = ::GetModuleHandleW(L"user32.dll");
    ASSERT_NE(other, nullptr);
    HWND dialog = ::CreateDialogIndirectParamW(other, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr,
                                               &PlainDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(::GetDlgItem(dialog, 321), nullptr);
    ::DestroyWindow(dialog);
}
