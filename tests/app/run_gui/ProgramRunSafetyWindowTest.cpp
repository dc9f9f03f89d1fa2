// The end of a run that stopped, in the test's own process over a program drive F:. The real backup run meets a full
// disk (the copy seam): hidden, the one-shot run ends the program with code 2 and shows no box; watched, it says the
// cause its log gives with the system's text of the run's own error. The program's drive pulled during a run ends
// the program with code 2. A store that cannot be saved is told once.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <map>
#include <optional>

#include "app/start/QordelObjects.h"
#include "app/support/AppTestSupport.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/run/RunThread.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Resources.h"

namespace
{

BOOL WINAPI FullDisk(LPCWSTR, LPCWSTR, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD)
{
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Every box's text, answered with OK.
class ProgramRunSafetyWindow : public runtest::RunRoadTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RunRoadTest::SetUp());
        m_texts.emplace(g_messageBoxAnswer, [this](UINT, const CString &text, UINT) {
            m_told.push_back(text.GetString());
            return IDOK;
        });
    }
    void TearDown() override
    {
        m_texts.reset();
        RunRoadTest::TearDown();
    }

    std::vector<std::wstring> m_told;
    std::optional<SeamOverride<MessageBoxAnswer>> m_texts;
};

TEST_F(ProgramRunSafetyWindow, AFullDestinationEndsAHiddenOneShotBackupWithCodeTwoAndTellsAWatchedOneWhy)
{
    m_runs.reset();
    SeamOverride<SyncJobWorkers> workers(g_syncJobWorkers, g_syncJobWorkers.Get());
    InstallBackupRunThread();
    SeamOverride copy(g_pfnCopyFileEx, &FullDisk);
    ASSERT_TRUE(testsupport::WriteFileBytes(Local(L"Docs\\Report.txt"), "A report."));
    const std::wstring log = Local(L"Backup Data\\Tester\\Velbrook Data Backup\\Tester.log");
    for (const bool watched : {false, true})
    {
        SCOPED_TRACE(watched ? "watched" : "hidden");
        runtest::RecordingTray tray;
        ASSERT_NO_FATAL_FAILURE(MakeDialog(""));
        m_dialog->ShowWindow(watched ? SW_SHOW : SW_HIDE);
        m_told.clear();
        m_quitSeen = false;
        g_nProgramExitCode = 0;
        const size_t logged = apptest::LogLines(log).size();
        m_dialog->RunBackupFromCommandLine();
        ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 30000)) << "the run did not end";
        Pump();

        const std::vector<std::wstring> lines = apptest::LogLines(log);
        int full = 0;
        for (size_t i = logged; i < lines.size(); ++i)
            full += lines[i].find(L"is full") != std::wstring::npos;
        EXPECT_EQ(full, 1) << "the log names the full disk";
        const auto sent = tray.Messages();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[sent.size() - 2], std::make_pair(2182u, WPARAM(100)));
        EXPECT_EQ(sent.back(), std::make_pair(2183u, WPARAM(IDS_RUN_STOPPED_DISK_FULL)));
        EXPECT_EQ(m_quitSeen, !watched) << "the program ends only after a hidden one-shot run";
        EXPECT_EQ(g_nProgramExitCode, watched ? 0 : 2);
        const CString why = AfxLoadText(IDS_RUN_STOPPED_DISK_FULL) + L"\r\n" + GetSystemErrorText(ERROR_DISK_FULL);
        EXPECT_EQ(m_told, watched ? std::vector<std::wstring>{why.GetString()} : std::vector<std::wstring>{});
        m_dialog.reset();
        Pump();
    }
    g_nProgramExitCode = 0;
}

TEST_F(ProgramRunSafetyWindow, TheProgramsDrivePulledDuringARunEndsTheProgramWithCodeTwo)
{
    const struct
    {
        const char *name;
        bool oneShot; // "--backup": hidden, the tray program follows it
        bool run;     // else the user's backup from the window, or none at all
        int code;
    } cases[] = {
        {"a one-shot backup", true, true, 2},
        {"the user's backup", false, true, 2},
        {"no run", false, false, 0},
    };
    m_runs->SetStepTime(300);
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        runtest::RecordingTray tray;
        ASSERT_NO_FATAL_FAILURE(MakeDialog(""));
        m_quitSeen = false;
        g_nProgramExitCode = 0;
        const size_t started = m_runs->Started().size();
        if (c.oneShot)
        {
            m_dialog->ShowWindow(SW_HIDE);
            m_dialog->RunBackupFromCommandLine();
        }
        else if (c.run)
        {
            Command(ID_JOBLIST_ITEM);
            Command(IDC_RUN_JOBS);
        }
        if (c.run)
        {
            ASSERT_TRUE(PumpFor([&] { return m_runs->Started().size() == started + 1; }, 10000));
        }

        DEV_BROADCAST_VOLUME volume = {sizeof(volume), DBT_DEVTYP_VOLUME, 0, 1u << (L'F' - L'A'), 0};
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
                       reinterpret_cast<LPARAM>(&volume));
        EXPECT_EQ(g_nProgramExitCode, c.code);
        const auto sent = tray.Messages();
        ASSERT_FALSE(c.oneShot && sent.size() < 2);
        if (c.oneShot)
        {
            EXPECT_EQ(sent[sent.size() - 2], std::make_pair(2182u, WPARAM(100)));
            EXPECT_EQ(sent.back(), std::make_pair(2183u, WPARAM(IDS_RUN_STOPPED_DEST_LOST))) << "the tray hears why";
        }
        else
        {
            EXPECT_TRUE(sent.empty() || sent.back().first == 2180u);
        }
        EXPECT_TRUE(PumpFor([this] { return m_quitSeen; }, 5000)) << "the program goes with its drive";
        // The process would end here; the test lets the run end before the next case.
        ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 20000));
        m_dialog.reset();
        Pump();
    }
    g_nProgramExitCode = 0;
}

TEST_F(ProgramRunSafetyWindow, TheOneClickBackupTakesThePhotosAndDocumentsOfTheDefaultSet)
{
    m_runs.reset();
    SeamOverride<SyncJobWorkers> workers(g_syncJobWorkers, g_syncJobWorkers.Get());
    InstallBackupRunThread();
    // The default set is built from the shipped template, as on a first start.
    const std::vector<std::pair<std::wstring, bool>> files = {{L"Photos\\Beach.jpeg", true},
                                                              {L"Docs\\Letter.odt", true},
                                                              {L"Docs\\Notes.md", true},
                                                              {L"Photos\\Phone.heic", true},
                                                              {L"Docs\\Trace.log", false}};
    for (const auto &file : files)
        enginetest::WriteFileAt(Local(file.first), "Taken or left.");
    ASSERT_NO_FATAL_FAILURE(MakeDialog(""));
    m_dialog->ShowWindow(SW_HIDE);
    m_dialog->RunBackupFromCommandLine();
    ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 60000)) << "the run did not end";
    Pump();

    std::map<std::wstring, std::string> backedUp;
    enginetest::ReadFileTree(Local(L"Backup Data\\Tester\\"), backedUp);
    for (const auto &file : files)
    {
        size_t found = 0;
        for (const auto &copy : backedUp)
            found += copy.first.size() > file.first.size() &&
                     copy.first.compare(copy.first.size() - file.first.size(), file.first.size(), file.first) == 0;
        EXPECT_EQ(found, file.second ? 1u : 0u) << CStringA(file.first.c_str()).GetString();
    }
    EXPECT_EQ(g_nProgramExitCode, 0);
    g_nProgramExitCode = 0;
}

TEST_F(ProgramRunSafetyWindow, AStoreThatCannotBeSavedIsToldOnceAndLeftAsItWas)
{
    // It loads, but no save of it would read back as a job store: its root is another element.
    const std::string store = "<?xml version=\"1.0\"?>\r\n<Jobs><jobdef name=\"My Documents\" state=\"1\" "
                              "sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" dest=\"F:\\Backup\\\">"
                              "<src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef></Jobs>\r\n";
    ASSERT_NO_FATAL_FAILURE(MakeDialogOverStore(store));
    for (int run = 1; run <= 2; ++run)
    {
        Command(ID_JOBLIST_ITEM);
        Command(IDC_RUN_JOBS);
        ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0 && m_dialog->viewState == 1; }, 20000));
    }
    CString expected;
    expected.Format(IDS_STORE_NOT_SAVED_BOX, L"F:\\Backup Data\\Tester\\Velbrook Data Backup\\Zel.xml");
    EXPECT_EQ(m_told, std::vector<std::wstring>{expected.GetString()});
    EXPECT_EQ(StoreText(), store);
}

} // namespace
