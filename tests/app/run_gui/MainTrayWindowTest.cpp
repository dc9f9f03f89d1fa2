// The main dialog's own tray icon and the tray program's commands, in the test's own process: the hidden start,
// the show command, back-up-now with the window hidden and shown, the exit question, and the deployment of the
// tray program.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "app/run/TrayLink.h"
#include "app/start/Qordel.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/program/ProgramObjects.h"

namespace
{

const char kUserJob[] = "<jobdef name=\"My Documents\" state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" "
                        "dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";
const UINT kTrayCommand = 2181;

std::vector<DWORD> g_iconCalls;
BOOL WINAPI RecordIcon(DWORD message, PNOTIFYICONDATAW)
{
    g_iconCalls.push_back(message);
    return TRUE;
}

class MainTrayWindow : public runtest::RunRoadTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RunRoadTest::SetUp());
        g_iconCalls.clear();
    }
    LRESULT Tray(WPARAM command)
    {
        return ::SendMessageW(m_dialog->GetSafeHwnd(), kTrayCommand, command, 0);
    }
    bool BackupEnded() const
    {
        return m_runs->Started().size() == m_startedBefore + 1 && m_dialog->GetRunningJobCount() == 0 &&
               m_dialog->viewState == VIEW_BACKUP_PAGE;
    }

    SeamOverride<PFN_SHELL_NOTIFY_ICON> m_icon{g_pfnShellNotifyIcon, &RecordIcon};
    size_t m_startedBefore = 0;
};

TEST_F(MainTrayWindow, AHiddenStartWaitsInTheNotificationAreaUntilShown)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    StartCommand command;
    command.hidden = true;
    command.mode = START_MODE_BACKUP;
    int mode = command.mode;
    EXPECT_FALSE(ShowMainDialogForStart(*m_dialog, command, mode)) << "the hidden start runs no backup";
    EXPECT_TRUE(m_dialog->IsInTray());
    EXPECT_FALSE(m_dialog->IsWindowVisible());
    EXPECT_EQ(g_iconCalls, std::vector<DWORD>{NIM_ADD});
    EXPECT_EQ(m_dialog->AddTrayIcon(), FALSE) << "the icon is there already";
    EXPECT_EQ(m_runs->Started().size(), 0u);

    Tray(32845);
    EXPECT_TRUE(m_dialog->IsWindowVisible());
    EXPECT_FALSE(m_dialog->IsInTray());
    EXPECT_EQ(g_iconCalls, (std::vector<DWORD>{NIM_ADD, NIM_DELETE}));
    EXPECT_TRUE(m_dialog->HasUserOpenedWindow());
}

TEST_F(MainTrayWindow, BackUpNowEndsTheProgramOnlyWhenTheWindowIsHidden)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    m_dialog->ShowWindow(SW_HIDE);
    Tray(32843);
    ASSERT_TRUE(PumpFor([this] { return BackupEnded(); }, 20000)) << "no backup ran";
    EXPECT_TRUE(m_quitSeen) << "a hidden back-up-now ends the program with its backup";
    EXPECT_FALSE(m_dialog->IsWindowVisible());

    m_quitSeen = false;
    m_startedBefore = m_runs->Started().size();
    m_dialog->ShowWindow(SW_SHOW);
    Tray(32843);
    ASSERT_TRUE(PumpFor([this] { return BackupEnded(); }, 20000)) << "no second backup ran";
    EXPECT_FALSE(m_quitSeen) << "the program ended under the user's open window";
    EXPECT_TRUE(m_dialog->HasUserOpenedWindow());
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 2) << "the user's job and one default job";
}

TEST_F(MainTrayWindow, ExitAsksAndNoKeepsTheProgramWhole)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    StopEvent.ResetEvent();
    m_answer = IDNO;
    Command(ID_TRAY_EXIT_MAIN);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_ASK_EXIT});
    EXPECT_TRUE(::IsWindow(m_dialog->GetSafeHwnd()));
    EXPECT_EQ(::WaitForSingleObject(StopEvent.m_hObject, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PumpRecordingQuit();
    EXPECT_FALSE(m_quitSeen);

    m_answer = IDYES;
    HWND window = m_dialog->GetSafeHwnd();
    Command(ID_TRAY_EXIT_MAIN);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(::WaitForSingleObject(StopEvent.m_hObject, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    PumpRecordingQuit();
    EXPECT_TRUE(m_quitSeen);
}

TEST_F(MainTrayWindow, DeploymentCopiesTheTrayProgramAndStartsItsStartupCopy)
{
    wchar_t common[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common)));
    const std::wstring base = std::wstring(common) + L"\\Tarnvel_PHRASEL\\";
    const bool baseExisted = ::GetFileAttributesW(base.c_str()) != INVALID_FILE_ATTRIBUTES;

    // A tray program still running from the Startup folder (left by an earlier test) would keep its copy from
    // being replaced.
    runtest::EndTrayPrograms(0);
    const TrayDeployment deployment = DeployTrayAndLanguageFiles(testsupport::ProgramFolder().c_str());
    ASSERT_FALSE(deployment.startupCopy.IsEmpty());
    EXPECT_EQ(testsupport::ReadFileBytes(deployment.startupCopy.GetString()),
              testsupport::ReadFileBytes(testsupport::ProgramFolder() + L"Tarnvel_Tray.exe"));
    EXPECT_EQ(testsupport::ReadFileBytes(base + L"ENU\\Phrasel.dll"),
              testsupport::ReadFileBytes(testsupport::LanguageFolder() + L"Phrasel.dll"))
        << "where the tray program reads its language";
    EXPECT_NE(::GetFileAttributesW((base + L"Tarnvel_Tray.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ShellStarts(), std::vector<std::wstring>{deployment.startupCopy.GetString()});

    ::DeleteFileW(deployment.startupCopy);
    if (baseExisted)
    {
        ::DeleteFileW((base + L"Tarnvel_Tray.exe").c_str());
        ::DeleteFileW((base + L"ENU\\Phrasel.dll").c_str());
    }
    else
    {
        testsupport::RemoveTree(base);
    }
}

TEST_F(MainTrayWindow, ADefaultFilterSetThatCannotBeReadRunsNothingAndShowsTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    ASSERT_TRUE(testsupport::WriteFileBytes(Local(L"Backup Data\\Tester\\Velbrook Data Backup\\BasicFilter.xml"),
                                            "<filters><filter"));
    m_dialog->ShowWindow(SW_HIDE);
    Tray(32843);
    PumpRecordingQuit();
    EXPECT_EQ(m_runs->Started().size(), 0u);
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 1) << "the user's job alone, neither replaced nor joined";
    EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
    EXPECT_TRUE(m_dialog->IsWindowVisible()) << "the user must be able to reach the program";
    EXPECT_FALSE(m_quitSeen);
}

} // namespace
