// The tray program as it runs at logon: copied into the Startup folder with the language library in the common
// folder, driven by the messages that the main program and the system send it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "outside/Phrasel/PhraselIds.h"
#include "tray/logic/ProgramResourceIds.h"
#include "tray/logic/TrayMessages.h"
#include "tray/support/TrayTestSupport.h"

namespace
{

using traytest::StartedProgram;
using traytest::WaitFor;

const DWORD kTimeoutMs = 30000;

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The arguments of each recorded start of the main program.
std::vector<std::wstring> Arguments(const traytest::RecorderDrive &drive)
{
    std::vector<std::wstring> arguments;
    for (const std::wstring &start : drive.Starts())
        arguments.push_back(start.substr(0, start.find(L'\t')));
    return arguments;
}

// The main program's window as the tray program finds it, recording the tray commands it is posted.
std::vector<WPARAM> g_trayCommands;

LRESULT CALLBACK RecordingMainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TRAY_COMMAND)
        g_trayCommands.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

class TrayProgramWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(traytest::WindowsOf(kTrayWindowClass).empty()) << "a tray program of another start still runs";
        SHCreateDirectoryExW(nullptr, m_startupFolder.c_str(), nullptr);
        SHCreateDirectoryExW(nullptr, (m_common + L"ENU").c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((testsupport::ProgramFolder() + kTrayProgramName).c_str(), m_startupCopy.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str(),
                              (m_common + L"ENU\\Phrasel.dll").c_str(), FALSE));
        DeleteFileW(m_settings.c_str());
    }

    void TearDown() override
    {
        m_tray.reset();
        // A removal copy may still be ending; its own file goes with it.
        WaitFor([this] { return !Exists(m_common + kTrayProgramName); }, 10000);
        DeleteFileW(m_startupCopy.c_str());
        DeleteFileW(m_settings.c_str());
    }

    // Starts the Startup copy as the logon does and waits for its hidden window.
    void StartTray()
    {
        m_tray.reset(new StartedProgram);
        ASSERT_TRUE(m_tray->Start(m_startupCopy, L"", m_startupFolder));
        ASSERT_TRUE(
            WaitFor([this] { return !traytest::WindowsOf(kTrayWindowClass, m_tray->Id()).empty(); }, kTimeoutMs));
        m_window = traytest::WindowsOf(kTrayWindowClass, m_tray->Id()).front();
        EXPECT_FALSE(IsWindowVisible(m_window));
    }

    void Send(UINT message, WPARAM wParam, const void *lParam = nullptr)
    {
        DWORD_PTR result = 0;
        EXPECT_TRUE(SendMessageTimeoutW(m_window, message, wParam, reinterpret_cast<LPARAM>(lParam), SMTO_NORMAL,
                                        kTimeoutMs, &result))
            << "message " << message << " " << wParam;
    }

    std::wstring AutoBackupKey() const
    {
        wchar_t text[16] = {};
        GetPrivateProfileStringW(L"Tarnvel_Tray", L"auto_backup", L"", text, 16, m_settings.c_str());
        return text;
    }

    const std::wstring m_startupFolder = SpecialFolder(CSIDL_STARTUP);
    const std::wstring m_startupCopy = m_startupFolder + L"\\" + kTrayProgramName;
    const std::wstring m_common = SpecialFolder(CSIDL_COMMON_APPDATA) + L"\\Tarnvel_PHRASEL\\";
    const std::wstring m_settings = m_common + L"Tarnvel_try.ini";
    std::unique_ptr<StartedProgram> m_tray;
    HWND m_window = nullptr;
};

} // namespace

TEST_F(TrayProgramWindow, AnArrivingDriveThatHoldsTheProgramStartsABackup)
{
    traytest::RecorderDrive e(L'E');
    ASSERT_EQ(e.Error(), L"") << "drive E:";
    traytest::RecorderDrive g(L'G');
    ASSERT_EQ(g.Error(), L"") << "drive G:";
    StartTray();
    DEV_BROADCAST_VOLUME volume = {sizeof(volume), DBT_DEVTYP_VOLUME, 0, (1u << 4) | (1u << 6), DBTF_NET};
    // None of these starts a program: a network volume without media, a removal, an arrival while the automatic
    // backup is off. Then the last arrival starts one backup from each drive.
    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &volume);
    volume.dbcv_flags = 0;
    Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, &volume);
    Send(WM_COMMAND, ID_TRAY_DISABLE_AUTO_BACKUP);
    EXPECT_EQ(AutoBackupKey(), L"0");
    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &volume);
    Send(WM_COMMAND, ID_TRAY_DISABLE_AUTO_BACKUP);
    EXPECT_EQ(AutoBackupKey(), L"1");
    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, &volume);

    WaitFor([&] { return !e.Starts().empty() && !g.Starts().empty(); }, kTimeoutMs);
    Sleep(2000);
    EXPECT_EQ(Arguments(e), std::vector<std::wstring>{L"-b"});
    EXPECT_EQ(Arguments(g), std::vector<std::wstring>{L"-b"});
    Send(WM_COMMAND, IDM_PROGRAM_EXIT);
    EXPECT_TRUE(m_tray->EndsWithZero(kTimeoutMs));
    EXPECT_TRUE(Exists(m_startupCopy)) << "an end without removal";
}

TEST_F(TrayProgramWindow, BackUpNowAndShowGoToTheMainWindow)
{
    StartTray();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &RecordingMainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kMainWindowClass;
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND main = CreateWindowW(kMainWindowClass, kProductTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    ASSERT_NE(main, nullptr);
    g_trayCommands.clear();

    Send(WM_COMMAND, ID_TRAY_BACKUP_NOW);
    Send(WM_COMMAND, ID_TRAY_SHOW_MAIN);
    // Once the window is visible, show goes nowhere while back up now still comes.
    ShowWindow(main, SW_SHOWNOACTIVATE);
    Send(WM_COMMAND, ID_TRAY_SHOW_MAIN);
    Send(WM_COMMAND, ID_TRAY_BACKUP_NOW);
    for (const DWORD begin = GetTickCount(); GetTickCount() - begin < 2000; Sleep(20))
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    EXPECT_EQ(g_trayCommands, (std::vector<WPARAM>{ID_TRAY_BACKUP_NOW, ID_TRAY_SHOW_MAIN, ID_TRAY_BACKUP_NOW}));
    DestroyWindow(main);
    UnregisterClassW(kMainWindowClass, windowClass.hInstance);
}

TEST_F(TrayProgramWindow, ShowsTheProgressAsABalloon)
{
    StartTray();
    Send(WM_TRAY_PROGRESS, 0);
    Send(WM_TRAY_PROGRESS, 50);
    // The balloon is a tooltip window of the notification area's process; Wine shows it 2 s after the request.
    EXPECT_TRUE(WaitFor([] { return !traytest::WindowsOf(TOOLTIPS_CLASSW, 0, true).empty(); }, kTimeoutMs));
    Sleep(500);
    EXPECT_TRUE(traytest::SaveScreenPng(testsupport::BuildFolder() + L"tray.png"));
}

TEST_F(TrayProgramWindow, ExitRemovesItFromStartup)
{
    StartTray();
    Send(WM_COMMAND, ID_TRAY_EXIT);
    EXPECT_TRUE(m_tray->EndsWithZero(kTimeoutMs));
    EXPECT_TRUE(WaitFor([this] { return !Exists(m_startupCopy); }, kTimeoutMs)) << "the Startup copy stayed";
    EXPECT_TRUE(WaitFor([this] { return !Exists(m_common + kTrayProgramName); }, kTimeoutMs))
        << "the removal copy stayed";
}

TEST_F(TrayProgramWindow, AfterYesToTheRemovalItLeavesStartupWhenItEnds)
{
    StartTray();
    PostMessageW(m_window, WM_COMMAND, ID_TRAY_REMOVE_AUTOSTART, 0);
    ASSERT_TRUE(WaitFor([this] { return !traytest::WindowsOf(L"#32770", m_tray->Id(), true).empty(); }, kTimeoutMs));
    HWND question = traytest::WindowsOf(L"#32770", m_tray->Id(), true).front();
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(WaitFor([question] { return !IsWindow(question); }, kTimeoutMs));
    Sleep(2000);
    EXPECT_TRUE(m_tray->IsRunning());
    EXPECT_TRUE(Exists(m_startupCopy)) << "removed before the end";

    Send(WM_COMMAND, IDM_PROGRAM_EXIT);
    EXPECT_TRUE(m_tray->EndsWithZero(kTimeoutMs));
    EXPECT_TRUE(WaitFor([this] { return !Exists(m_startupCopy); }, kTimeoutMs)) << "the Startup copy stayed";
}

TEST_F(TrayProgramWindow, OnlyTheStartupCopyRunsAndOnlyOnce)
{
    StartTray();
    // A second tray program, and a removal copy given no process handle, end at once and remove nothing.
    for (LPCWSTR arguments : {L"", L"x"})
    {
        StartedProgram other;
        ASSERT_TRUE(other.Start(m_startupCopy, arguments));
        EXPECT_TRUE(other.EndsWithZero(kTimeoutMs)) << "arguments \"" << arguments << "\"";
    }
    EXPECT_TRUE(m_tray->IsRunning());
    EXPECT_EQ(traytest::WindowsOf(kTrayWindowClass).size(), 1u);
    EXPECT_TRUE(Exists(m_startupCopy));
    Send(WM_COMMAND, IDM_PROGRAM_EXIT);
    EXPECT_TRUE(m_tray->EndsWithZero(kTimeoutMs));

    StartedProgram outside;
    ASSERT_TRUE(outside.Start(testsupport::ProgramFolder() + kTrayProgramName));
    EXPECT_TRUE(outside.EndsWithZero(kTimeoutMs)) << "a copy outside Startup";
    EXPECT_TRUE(traytest::WindowsOf(kTrayWindowClass).empty());
}
