// The input dialog and the pinned label edit as windows.
#include "ModalCloser.h"

#include "outside/Phrasel/PhraselIds.h"
#include "ui/boxes/InputDlg.h"
#include "ui/boxes/LVEdit.h"

#include <gtest/gtest.h>

using namespace boxtest;

namespace
{

class InputDlgWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_language.Loaded());
    }
    LanguageLibrary m_language;
};

CString ControlText(HWND dialog, int id)
{
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, id, text, 256);
    return text;
}

} // namespace

TEST_F(InputDlgWindow, EmptyValueWithMessageKeepsTheDialogOpen)
{
    CInputDlg dialog(L"Name of the job:", L"", L"Please type a name.");
    HWND input = nullptr;
    CString shownPrompt, title, warning, titleOfWarning;
    bool openAfterWarning = false;

    ModalCloser closer({
        // OK with the empty value: the warning comes up, owned by the input dialog.
        {WindowWithControl(IDC_INPUT_VALUE),
         [&](HWND box) {
             input = box;
             shownPrompt = ControlText(box, IDC_INPUT_PROMPT);
             wchar_t text[256] = {};
             ::GetWindowTextW(box, text, 256);
             title = text;
             ClickButton(IDOK)(box);
         }},
        {DialogOwnedBy(&input),
         [&](HWND box) {
             wchar_t text[256] = {};
             ::GetWindowTextW(box, text, 256);
             titleOfWarning = text;
             // The warning's text is the only static that says it.
             HWND child = nullptr;
             while ((child = ::FindWindowExW(box, child, L"Static", nullptr)) != nullptr)
             {
                 ::GetWindowTextW(child, text, 256);
                 if (lstrlenW(text) > 0)
                     warning = text;
             }
             ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         }},
        // Back in the input dialog, still open: type a value and accept it.
        {[&](HWND box) {
             return box == input && ::GetWindow(input, GW_ENABLEDPOPUP) == nullptr && ::IsWindowEnabled(input);
         },
         [&](HWND box) {
             openAfterWarning = ::IsWindow(box) && ::IsWindowVisible(box);
             ::SetDlgItemTextW(box, IDC_INPUT_VALUE, L"Holiday photos");
             ClickButton(IDOK)(box);
         }},
    });
    INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(closer.AllDone());
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(shownPrompt, L"Name of the job:");
    EXPECT_STREQ(title, L"Velbrook Data Backup");
    EXPECT_STREQ(warning, L"Please type a name.");
    EXPECT_STREQ(titleOfWarning, L"Velbrook Data Backup");
    EXPECT_TRUE(openAfterWarning);
    EXPECT_STREQ(dialog.m_strValue, L"Holiday photos");
}

TEST_F(InputDlgWindow, EmptyValueWithoutMessageIsAccepted)
{
    CInputDlg dialog(L"Comment:", L"old", L"");
    ModalCloser closer({{WindowWithControl(IDC_INPUT_VALUE), [](HWND box) {
                             ::SetDlgItemTextW(box, IDC_INPUT_VALUE, L"");
                             ClickButton(IDOK)(box);
                         }}});
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(closer.AllDone());
    EXPECT_STREQ(dialog.m_strValue, L"");

    CInputDlg cancelled(L"Comment:", L"kept", L"");
    ModalCloser closeAgain({{WindowWithControl(IDC_INPUT_VALUE), [](HWND box) {
                                 ::SetDlgItemTextW(box, IDC_INPUT_VALUE, L"changed");
                                 ClickButton(IDCANCEL)(box);
                             }}});
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_STREQ(cancelled.m_strValue, L"kept");
}

TEST(LVEditWindow, KeepsItsPlaceButTakesSizeChanges)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxDefaultWndClass(), L"List", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                                nullptr, nullptr));
    HWND edit = ::CreateWindowExW(0, L"Edit", L"label", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 80, 20, parent.m_hWnd,
                                  reinterpret_cast<HMENU>(100), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    CLVEdit pinned;
    ASSERT_TRUE(pinned.SubclassWindow(edit));
    pinned.m_x = 30;
    pinned.m_y = 41;

    auto placeOf = [&]() {
        CRect rect;
        ::GetWindowRect(edit, &rect);
        ::MapWindowPoints(nullptr, parent.m_hWnd, reinterpret_cast<LPPOINT>(&rect), 2);
        return rect;
    };

    ::SetWindowPos(edit, nullptr, 120, 90, 150, 24, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(placeOf(), CRect(30, 41, 30 + 150, 41 + 24));

    ::MoveWindow(edit, 200, 200, 60, 18, TRUE);
    EXPECT_EQ(placeOf(), CRect(30, 41, 30 + 60, 41 + 18));

    // A size change alone passes.
    ::SetWindowPos(edit, nullptr, 0, 0, 90, 22, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(placeOf(), CRect(30, 41, 30 + 90, 41 + 22));

    pinned.UnsubclassWindow();
    parent.DestroyWindow();
}
