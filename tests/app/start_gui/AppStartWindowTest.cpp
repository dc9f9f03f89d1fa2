// The main program started from a drive E: that holds it as a user's drive does: its window, its data folder, the
// about box, second starts and the starts that must end without a window.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "app/support/AppTestSupport.h"
#include "app/resources/Version.h"
#include "platform/text/String.h"

namespace
{

using apptest::StartedProgram;

const DWORD kWindowTimeoutMs = 60000;

const char kTwoJobStore[] = "<?xml version=\"1.0\"?>\r\n"
                            "<Tessel xmlns=\"ORVANE\">"
                            "<jobdef name=\"Documents\" state=\"1\" sync_type=\"1\" dest=\"E:\\Backup Data\\Docs\\\">"
                            "<src path=\"C:\\users\\Public\\Documents\\\" hassrc=\"1\"/></jobdef>"
                            "<jobdef name=\"Pictures\" state=\"0\" sync_type=\"1\" dest=\"E:\\Backup Data\\Pics\\\">"
                            "<src path=\"C:\\users\\Public\\Pictures\\\" hassrc=\"1\"/></jobdef>"
                            "</Tessel>\r\n";

std::wstring ClassOf(HWND hWnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hWnd, name, 64);
    return name;
}

class AppStartWindow : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(m_drive.Error(), L"") << "drive E:";
        ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another start is still open";
    }

    // Makes the data folder and writes its job store.
    void WriteStore(const std::string &bytes)
    {
        ASSERT_EQ(SHCreateDirectoryExW(nullptr, m_drive.DataFolder().c_str(), nullptr), ERROR_SUCCESS);
        ASSERT_TRUE(testsupport::WriteFileBytes(m_drive.DataFolder() + L"Zel.xml", bytes));
    }

    // Starts the program and waits for its window.
    HWND StartAndWaitForWindow(StartedProgram &program, const std::wstring &arguments = std::wstring())
    {
        EXPECT_TRUE(program.Start(m_drive.ProgramPath(), arguments));
        return apptest::WaitForMainWindow(program, kWindowTimeoutMs);
    }

    // Closes the window as the user does and expects the program to end with 0 within 10 s.
    void CloseAndExpectEnd(StartedProgram &program, HWND window)
    {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(program.WaitForExit(10000, code)) << "the program did not end within 10 s of WM_CLOSE";
        EXPECT_EQ(code, 0u);
    }

    // Runs a start that cannot begin: it never shows a main window, says why in a box (control 1138 holds the text
    // of the skinned box, 0xFFFF that of the system's) and, once the box is answered, ends with 3.
    void ExpectRefusedStart(const std::wstring &told, int textControl = 1138)
    {
        StartedProgram program;
        ASSERT_TRUE(program.Start(m_drive.ProgramPath()));
        HWND box = apptest::WaitForDialog(program, nullptr, kWindowTimeoutMs);
        ASSERT_NE(box, nullptr) << "no message box";
        EXPECT_TRUE(apptest::MainWindows().empty()) << "a main window came";
        const std::wstring text = apptest::WindowText(GetDlgItem(box, textControl));
        EXPECT_NE(text.find(told), std::wstring::npos) << CStringA(text.c_str()).GetString();
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 0;
        ASSERT_TRUE(program.WaitForExit(30000, code)) << "the program did not end after its box";
        EXPECT_EQ(code, 3u) << "a start that could not begin";
        EXPECT_TRUE(apptest::MainWindows().empty());
    }

    std::vector<std::wstring> ProgramLog()
    {
        return apptest::LogLines(m_drive.DataFolder() + L"Zel.log");
    }

    apptest::ProgramDrive m_drive;
};

TEST_F(AppStartWindow, StartsWithItsWindowKeepsTheStoreAndEndsOnClose)
{
    WriteStore(kTwoJobStore);
    StartedProgram program;
    HWND window = StartAndWaitForWindow(program);
    ASSERT_NE(window, nullptr) << "no main window";

    EXPECT_EQ(ClassOf(window), L"BrenmarkZELMain");
    EXPECT_EQ(apptest::WindowText(window), L"Velbrook Data Backup");
    RECT client = {};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right - client.left, 600);
    EXPECT_EQ(client.bottom - client.top, 510);
    EXPECT_EQ(apptest::MainWindows().size(), 1u);

    const std::wstring agent = m_drive.DataFolder() + L"Login.ini";
    for (LPCWSTR key : {L"Wireless", L"Ethernet"})
    {
        wchar_t value[16] = {};
        GetPrivateProfileStringW(L"AGENT-OPTIONS", key, L"", value, 16, agent.c_str());
        EXPECT_STREQ(value, L"TRUE") << key;
    }

    // The first start puts the default filter set, built from the template, into the data folder.
    EXPECT_NE(testsupport::ReadFileBytes(m_drive.DataFolder() + L"BasicFilter.xml").find("<filter name=\"Email\""),
              std::string::npos);

    EXPECT_TRUE(apptest::SaveWindowPng(window, apptest::BuildFolder() + L"main-window.png"));

    CloseAndExpectEnd(program, window);
    EXPECT_EQ(testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml"), kTwoJobStore);
    EXPECT_EQ(ProgramLog(), std::vector<std::wstring>());
}

TEST_F(AppStartWindow, TheSystemMenusAboutItemShowsTheNameAndVersion)
{
    StartedProgram program;
    HWND window = StartAndWaitForWindow(program);
    ASSERT_NE(window, nullptr);

    PostMessageW(window, WM_SYSCOMMAND, 16, 0);
    HWND about = apptest::WaitForDialog(program, window, kWindowTimeoutMs);
    ASSERT_NE(about, nullptr) << "no about box";
    EXPECT_EQ(apptest::WindowText(GetDlgItem(about, 1214)),
              std::wstring(L"Velbrook Data Backup\r\nVersion ") + CString(VELBROOK_VERSION_TEXT).GetString());
    EXPECT_TRUE(apptest::SaveWindowPng(about, apptest::BuildFolder() + L"about.png"));

    PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(apptest::WaitForWindowGone(about, 10000));
    CloseAndExpectEnd(program, window);
}

TEST_F(AppStartWindow, SecondStartsHandOverToTheFirstAndEnd)
{
    StartedProgram first;
    HWND window = StartAndWaitForWindow(first);
    ASSERT_NE(window, nullptr);

    // A request without its ";" is handed over and ignored: the first instance opens nothing.
    for (const std::wstring &arguments : {std::wstring(), std::wstring(L"--create E:\\x\\")})
    {
        StartedProgram second;
        ASSERT_TRUE(second.Start(m_drive.ProgramPath(), arguments));
        DWORD code = 1;
        ASSERT_TRUE(second.WaitForExit(30000, code))
            << "the second start with \"" << CStringA(arguments.c_str()).GetString() << "\" did not end";
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(apptest::MainWindows(), std::vector<HWND>{window});
        EXPECT_TRUE(first.IsRunning());
    }
    CloseAndExpectEnd(first, window);
}

TEST_F(AppStartWindow, AnUnreadableStoreIsKeptAsideAndLogged)
{
    const std::string broken = "<Tessel xmlns=\"ORVANE\"><jobdef name=\"Docu";
    WriteStore(broken);
    StartedProgram program;
    HWND window = StartAndWaitForWindow(program);
    ASSERT_NE(window, nullptr);
    CloseAndExpectEnd(program, window);

    EXPECT_EQ(testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml.bad"), broken);
    EXPECT_EQ(testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml"), broken);
    const std::wstring store = m_drive.DataFolderOnDrive() + L"Zel.xml";
    const std::vector<std::wstring> log = ProgramLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(apptest::WithoutTime(log[0]), L"The job store " + store + L" could not be read; it was copied to " +
                                                store + L".bad and none of its jobs is shown.");
}

TEST_F(AppStartWindow, AnUnreadableStoreThatCannotBeCopiedIsToldBeforeTheWindowShows)
{
    const std::string broken = "not a job store";
    WriteStore(broken);
    // A folder in the copy's place: the copy fails.
    ASSERT_TRUE(CreateDirectoryW((m_drive.DataFolder() + L"Zel.xml.bad").c_str(), nullptr));
    StartedProgram program;
    ASSERT_TRUE(program.Start(m_drive.ProgramPath()));

    HWND box = apptest::WaitForDialog(program, nullptr, kWindowTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_TRUE(apptest::MainWindows().empty() || !IsWindowVisible(apptest::MainWindows().front()));
    const std::wstring store = m_drive.DataFolderOnDrive() + L"Zel.xml";
    EXPECT_NE(apptest::WindowText(GetDlgItem(box, 1138)).find(store), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    HWND window = apptest::WaitForMainWindow(program, kWindowTimeoutMs);
    ASSERT_NE(window, nullptr);
    CloseAndExpectEnd(program, window);
    EXPECT_EQ(testsupport::ReadFileBytes(m_drive.DataFolder() + L"Zel.xml"), broken);
    const std::vector<std::wstring> log = ProgramLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(apptest::WithoutTime(log[0]), L"The job store " + store + L" could not be read, and its copy " + store +
                                                L".bad could not be made; none of its jobs is shown.");
}

TEST_F(AppStartWindow, EndsWithoutAWindowWhenBackupDataIsAFile)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(m_drive.Folder() + L"Backup Data", "x"));
    ExpectRefusedStart(L"its data folder " + m_drive.DataFolderOnDrive() + L" cannot be made");
    EXPECT_EQ(testsupport::ReadFileBytes(m_drive.Folder() + L"Backup Data"), "x");
}

TEST_F(AppStartWindow, EndsWithoutAWindowWhenAFileStandsInTheDataFolderPlace)
{
    std::wstring parent = m_drive.DataFolder();
    parent.pop_back();
    const std::wstring file = parent;
    parent = parent.substr(0, parent.rfind(L'\\'));
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, parent.c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    ExpectRefusedStart(L"its data folder " + m_drive.DataFolderOnDrive() + L" cannot be made");
    EXPECT_EQ(testsupport::ReadFileBytes(file), "x");
}

TEST(AppStartWindowWithoutLanguage, EndsWithoutAWindowAndLogsIt)
{
    apptest::ProgramDrive drive(apptest::ProgramCopy::WithoutLanguageLibrary);
    ASSERT_EQ(drive.Error(), L"");
    StartedProgram program;
    ASSERT_TRUE(program.Start(drive.ProgramPath()));
    // Without the library's texts the system's own box tells it.
    HWND box = apptest::WaitForDialog(program, nullptr, kWindowTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_TRUE(apptest::MainWindows().empty());
    EXPECT_NE(apptest::WindowText(GetDlgItem(box, 0xFFFF)).find(L"Phrasel.dll"), std::wstring::npos);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(30000, code));
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(apptest::LogLines(drive.DataFolder() + L"Zel.log"),
              std::vector<std::wstring>{L"Unable to create main dialog"});
}

} // namespace
