// The requests of the command line end to end, the program started from a drive E: as a user starts it: a first
// start with the short "-s" opens the job selection dialog before it shows its window, and a second start's
// "--create" opens the job type chooser (with the wizard of its first job) in the first.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/support/AppTestSupport.h"
#include "platform/text/String.h"

namespace
{

using apptest::StartedProgram;

const DWORD kWindowTimeoutMs = 60000;

class JobCommandsProgram : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(m_drive.Error(), L"") << "drive E:";
        ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another start is still open";
    }

    // The program's main window, visible or not; null when none came within timeoutMs.
    static HWND WaitForAnyMainWindow(DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        while (apptest::MainWindows().empty() && ::GetTickCount() - start < timeoutMs)
            ::Sleep(50);
        const std::vector<HWND> windows = apptest::MainWindows();
        return windows.empty() ? nullptr : windows.front();
    }
    void CloseAndExpectEnd(StartedProgram &program, HWND window)
    {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(program.WaitForExit(20000, code)) << "the program did not end after WM_CLOSE";
        EXPECT_EQ(code, 0u);
    }

    apptest::ProgramDrive m_drive;
};

TEST_F(JobCommandsProgram, AShortSelectOpensTheSelectionDialogThenShowsTheWindow)
{
    StartedProgram program;
    ASSERT_TRUE(program.Start(m_drive.ProgramPath(), L"-s E:\\x\\;"));
    HWND dialog = apptest::WaitForDialog(program, nullptr, kWindowTimeoutMs);
    ASSERT_NE(dialog, nullptr) << "no job selection dialog";
    EXPECT_EQ(apptest::WindowText(dialog), L"Add to a job");
    HWND window = WaitForAnyMainWindow(5000);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window)) << "the window waits for the request's dialog";

    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(apptest::WaitForWindowGone(dialog, 10000));
    // A start the request hid must not stay hidden: nothing would ever show it again.
    EXPECT_EQ(apptest::WaitForMainWindow(program, 20000), window);
    CloseAndExpectEnd(program, window);
}

TEST_F(JobCommandsProgram, ASecondStartsCreateOpensTheChooserInTheFirst)
{
    StartedProgram first;
    ASSERT_TRUE(first.Start(m_drive.ProgramPath()));
    HWND window = apptest::WaitForMainWindow(first, kWindowTimeoutMs);
    ASSERT_NE(window, nullptr);

    StartedProgram second;
    ASSERT_TRUE(second.Start(m_drive.ProgramPath(), L"--create E:\\x\\;"));
    // The chooser sets up its first job at once: that job's wizard comes first, then the chooser itself.
    HWND wizard = apptest::WaitForDialog(first, nullptr, kWindowTimeoutMs);
    ASSERT_NE(wizard, nullptr) << "no job type chooser";
    EXPECT_EQ(apptest::WindowText(wizard), L"New backup job");
    DWORD code = 1;
    // The second start gives up waiting after 10 s while the first's dialog stays open.
    ASSERT_TRUE(second.WaitForExit(30000, code)) << "the second start did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(apptest::MainWindows(), std::vector<HWND>{window});
    // The wizard's cancel asks first: the first instance is ended as the fixture ends a program left running.
}

} // namespace
