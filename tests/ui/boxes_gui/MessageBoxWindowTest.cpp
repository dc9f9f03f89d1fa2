// The message box as a window: captions, results, layout, owners and threads.
#include "ModalCloser.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "ui/boxes/MessageBoxDlg.h"
#include "ui/resources/UiResourceIds.h"

#include <gtest/gtest.h>
#include <memory>

using namespace boxtest;

namespace
{

// The application object gives the boxes their title and a main window to be tempted by.
CWinApp theApp(L"Velbrook Data Backup");

// One run of a box closed by clicking (or escaping from) it; the record of what it looked like.
struct BoxRun
{
    int result = -100;
    bool pressed = false;
    BoxRecord record;
};

// Safe on any thread: it asserts nothing itself.
BoxRun ShowAndPressOn(const std::function<int()> &show, std::function<void(HWND)> press)
{
    BoxRun run;
    ModalCloser closer({{WindowWithControl(IDC_SKIN_MESSAGE_TEXT), RecordInto(run.record, press)}});
    run.result = show();
    run.pressed = closer.AllDone() && !closer.TimedOut();
    return run;
}

BoxRun ShowAndPress(const std::function<int()> &show, std::function<void(HWND)> press)
{
    BoxRun run = ShowAndPressOn(show, std::move(press));
    EXPECT_TRUE(run.pressed);
    return run;
}

int Box(LPCWSTR text, UINT flags)
{
    return SkinMessageBox(text, flags);
}

// Text extent of one line in the box's font.
SIZE LineExtent(const LOGFONTW &logFont, LPCWSTR line)
{
    SIZE size = {};
    HFONT font = ::CreateFontIndirectW(&logFont);
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ previous = ::SelectObject(dc, font);
    ::GetTextExtentPoint32W(dc, line, lstrlenW(line), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return size;
}

class MessageBoxWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_language.Loaded());
    }
    LanguageLibrary m_language;
};

} // namespace

TEST_F(MessageBoxWindow, YesNoBoxShowsLanguageCaptionsAndAnswersSixOrSeven)
{
    BoxRun yes = ShowAndPress([] { return Box(L"Replace the file?", MB_YESNO | MB_ICONQUESTION); }, ClickButton(IDOK));
    EXPECT_EQ(yes.result, IDYES);
    ASSERT_TRUE(yes.record.found);
    EXPECT_STREQ(yes.record.caption1, AfxLoadText(IDS_BUTTON_YES));
    EXPECT_STREQ(yes.record.caption2, AfxLoadText(IDS_BUTTON_NO));
    EXPECT_FALSE(yes.record.caption1.IsEmpty());
    EXPECT_STREQ(yes.record.title, L"Velbrook Data Backup");
    EXPECT_STREQ(yes.record.text, L"Replace the file?");
    EXPECT_TRUE(yes.record.button2Visible);

    BoxRun no =
        ShowAndPress([] { return Box(L"Replace the file?", MB_YESNO | MB_ICONQUESTION); }, ClickButton(IDCANCEL));
    EXPECT_EQ(no.result, IDNO);
    BoxRun escaped = ShowAndPress([] { return Box(L"Replace the file?", MB_YESNO); }, PressEscape());
    EXPECT_EQ(escaped.result, IDNO);
}

TEST_F(MessageBoxWindow, RetryBoxAnswersOneForItsFirstButton)
{
    BoxRun retry = ShowAndPress([] { return Box(L"The file is locked.", MB_RETRYCANCEL); }, ClickButton(IDOK));
    EXPECT_EQ(retry.result, 1);
    EXPECT_STREQ(retry.record.caption1, AfxLoadText(IDS_BUTTON_RETRY));
    EXPECT_STREQ(retry.record.caption2, AfxLoadText(IDS_BUTTON_RETRY_CANCEL));
    BoxRun cancel = ShowAndPress([] { return Box(L"The file is locked.", MB_RETRYCANCEL); }, ClickButton(IDCANCEL));
    EXPECT_EQ(cancel.result, 2);
}

TEST_F(MessageBoxWindow, WarningBoxShowsOneCentredButton)
{
    BoxRun ok = ShowAndPress([] { return Box(L"Careful.", MB_OK | MB_ICONWARNING); }, ClickButton(IDOK));
    EXPECT_EQ(ok.result, IDOK);
    ASSERT_TRUE(ok.record.found);
    EXPECT_TRUE(ok.record.button1Visible);
    EXPECT_FALSE(ok.record.button2Visible);
    EXPECT_STREQ(ok.record.caption1, AfxLoadText(IDS_BUTTON_OK));
    EXPECT_EQ(ok.record.button1.left, (ok.record.window.Width() - ok.record.button1.Width()) / 2);

    BoxRun escaped = ShowAndPress([] { return Box(L"Careful.", MB_OK | MB_ICONWARNING); }, PressEscape());
    EXPECT_EQ(escaped.result, IDCANCEL);
}

TEST_F(MessageBoxWindow, TextSizesTheBox)
{
    // An empty text keeps the template's size and captions, whatever the type; the results still follow it.
    BoxRun empty = ShowAndPress([] { return Box(L"", MB_YESNO); }, ClickButton(IDOK));
    EXPECT_EQ(empty.result, IDYES);
    ASSERT_TRUE(empty.record.found);
    EXPECT_STREQ(empty.record.caption1, L"OK");
    EXPECT_STREQ(empty.record.caption2, L"Cancel");
    const BoxRecord &plain = empty.record;

    // One narrow line: the static shrinks to it and is centred on the outer width; the box keeps its size.
    BoxRun narrow = ShowAndPress([] { return Box(L"Done.", MB_OKCANCEL); }, ClickButton(IDOK));
    SIZE done = LineExtent(narrow.record.font, L"Done.");
    EXPECT_EQ(narrow.record.textRect.Width(), done.cx);
    EXPECT_EQ(narrow.record.textRect.left, (narrow.record.window.Width() - done.cx) / 2);
    EXPECT_EQ(narrow.record.textRect.top, plain.textRect.top);
    EXPECT_EQ(narrow.record.window.Size(), plain.window.Size());
    EXPECT_EQ(narrow.record.button1, plain.button1);

    // Three lines wider than the static: the box grows by the excess and by the extra height, the buttons
    // move right by half the excess and down by the growth.
    static const wchar_t *kWide = L"This line is a good deal wider than the message box was made for at first";
    CString three;
    three.Format(L"%s\n%s\n%s", L"short", kWide, L"short");
    BoxRun wide = ShowAndPress([&three] { return Box(three, MB_YESNO); }, ClickButton(IDCANCEL));
    EXPECT_EQ(wide.result, IDNO);
    SIZE line = LineExtent(wide.record.font, kWide);
    int dx = line.cx - plain.textRect.Width();
    int dy = 3 * line.cy - plain.textRect.Height();
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, 0);
    EXPECT_EQ(wide.record.window.Width(), plain.window.Width() + dx);
    EXPECT_EQ(wide.record.window.Height(), plain.window.Height() + dy);
    EXPECT_EQ(wide.record.textRect.Width(), line.cx);
    EXPECT_EQ(wide.record.textRect.Height(), 3 * line.cy);
    EXPECT_EQ(wide.record.button1.left, plain.button1.left + dx / 2);
    EXPECT_EQ(wide.record.button1.top, plain.button1.top + dy);
    EXPECT_EQ(wide.record.button2.left, plain.button2.left + dx / 2);
}

TEST_F(MessageBoxWindow, OwnerIsTheThreadsActiveWindowOnly)
{
    CWnd mainWindow;
    ASSERT_TRUE(mainWindow.CreateEx(0, AfxDefaultWndClass(), L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                                    200, nullptr, nullptr));
    mainWindow.SetActiveWindow();
    theApp.m_pMainWnd = &mainWindow;
    ASSERT_EQ(::GetActiveWindow(), mainWindow.m_hWnd);

    // On this thread: owned by the active window, which is disabled meanwhile and enabled again after.
    BoxRun here = ShowAndPress([] { return Box(L"Owned.", MB_OK); }, ClickButton(IDOK));
    EXPECT_EQ(here.result, IDOK);
    EXPECT_EQ(here.record.owner, mainWindow.m_hWnd);
    EXPECT_FALSE(here.record.ownerEnabled);
    EXPECT_TRUE(mainWindow.IsWindowEnabled());

    // On a worker: the application's main window belongs to another thread, so the box has no owner.
    struct Shared
    {
        BoxRun run;
        volatile LONG done = 0;
    };
    auto shared = std::make_shared<Shared>();
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            auto *s = static_cast<std::shared_ptr<Shared> *>(parameter);
            std::shared_ptr<Shared> keep = *s;
            delete s;
            keep->run =
                ShowAndPressOn([] { return SkinMessageBoxId(IDS_BUTTON_CANCEL, MB_YESNO); }, ClickButton(IDCANCEL));
            ::InterlockedExchange(&keep->done, 1);
            return 0;
        },
        new std::shared_ptr<Shared>(shared), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // This thread keeps dispatching, so nothing the worker's box sends here can block it.
    EXPECT_TRUE(PumpUntil([&shared] { return shared->done != 0; }, 15000));
    EXPECT_EQ(::WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    ::CloseHandle(thread);

    theApp.m_pMainWnd = nullptr;
    if (shared->done != 0)
    {
        EXPECT_TRUE(shared->run.pressed);
        EXPECT_EQ(shared->run.result, IDNO);
        ASSERT_TRUE(shared->run.record.found);
        EXPECT_EQ(shared->run.record.owner, nullptr);
        EXPECT_STREQ(shared->run.record.text, AfxLoadText(IDS_BUTTON_CANCEL));
        EXPECT_STREQ(shared->run.record.caption1, AfxLoadText(IDS_BUTTON_YES));
    }
    EXPECT_TRUE(mainWindow.IsWindowEnabled());
    mainWindow.DestroyWindow();
}
