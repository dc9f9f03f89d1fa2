// The end of a backup that stopped, in the test's own process: the real backup run over a program drive F: whose
// copies meet a full disk (the copy seam). A hidden one-shot run ends the program by itself with code 2 and shows no
// box; a run the user watches tells the cause the log gives, with the system's text of the run's own error. Either
// way the tray program hears why.
#include <gtest/gtest.h>

#include <optional>

#include "app/start/QordelObjects.h"
#include "app/support/AppTestSupport.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/run/RunThread.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Resources.h"

namespace
{

BOOL WINAPI FullDisk(LPCWSTR, LPCWSTR, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD)
{
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

class ProgramRunSafetyInProcess : public runtest::RunRoadTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RunRoadTest::SetUp());
        m_runs.reset();
        m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
        InstallBackupRunThread();
        ASSERT_TRUE(testsupport::WriteFileBytes(Local(L"Docs\\Report.txt"), "A report."));
        g_nProgramExitCode = 0;
        m_texts.emplace(g_messageBoxAnswer, [this](UINT, const CString &text, UINT) {
            m_told.push_back(text.GetString());
            return IDOK;
        });
    }
    void TearDown() override
    {
        m_texts.reset();
        RunRoadTest::TearDown();
        m_workers.reset();
        g_nProgramExitCode = 0;
    }

    std::vector<std::wstring> JobLog() const
    {
        return apptest::LogLines(Local(L"Backup Data\\Tester\\Velbrook Data Backup\\Tester.log"));
    }

    std::vector<std::wstring> m_told;

  private:
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
    std::optional<SeamOverride<MessageBoxAnswer>> m_texts;
};

TEST_F(ProgramRunSafetyInProcess, AFullDestinationEndsAHiddenOneShotBackupWithCodeTwoAndTellsTheUserWhy)
{
    struct Row
    {
        const char *name;
        bool watched; // the window is shown while the run goes on
    } rows[] = {{"hidden", false}, {"watched", true}};
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        runtest::RecordingTray tray;
        SeamOverride copy(g_pfnCopyFileEx, &FullDisk);
        ASSERT_NO_FATAL_FAILURE(MakeDialog(""));
        m_dialog->ShowWindow(row.watched ? SW_SHOW : SW_HIDE);
        m_told.clear();
        m_quitSeen = false;
        g_nProgramExitCode = 0;
        const size_t logBefore = JobLog().size();
        m_dialog->RunBackupFromCommandLine();
        ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 30000)) << "the run did not end";
        Pump();

        const std::wstring full =
            (AfxLoadText(IDS_RUN_STOPPED_DISK_FULL) + L"\r\n" + GetSystemErrorText(ERROR_DISK_FULL)).GetString();
        const std::vector<std::wstring> log = JobLog();
        int logged = 0;
        for (size_t i = logBefore; i < log.size(); ++i)
            logged += log[i].find(L"is full") != std::wstring::npos ? 1 : 0;
        EXPECT_EQ(logged, 1) << "the log names the full disk";
        const std::vector<std::pair<UINT, WPARAM>> sent = tray.Messages();
        ASSERT_GE(sent.size(), 2u);
        EXPECT_EQ(sent[sent.size() - 2], std::make_pair(2182u, WPARAM(100)));
        EXPECT_EQ(sent.back(), std::make_pair(2183u, WPARAM(IDS_RUN_STOPPED_DISK_FULL)));
        if (row.watched)
        {
            // The program stays; the box says what the log says, with the system's text of "disk full".
            EXPECT_FALSE(m_quitSeen);
            EXPECT_EQ(g_nProgramExitCode, 0);
            EXPECT_EQ(m_told, std::vector<std::wstring>{full});
        }
        else
        {
            EXPECT_TRUE(m_quitSeen) << "the program did not end";
            EXPECT_EQ(g_nProgramExitCode, 2);
            EXPECT_TRUE(m_told.empty()) << "a box was shown";
        }
        m_dialog.reset();
        Pump();
    }
}

// A store that loads but whose every save is refused, because it would not read back as a job store (another
// root element): the user hears of it once, with the store's path, and the file stays as it was.
class StoreNotSavedWindow : public runtest::RunRoadTest
{
};

TEST_F(StoreNotSavedWindow, IsToldOnceAndTheFileStaysAsItWas)
{
    const std::string store = "<?xml version=\"1.0\"?>\r\n<Jobs><jobdef name=\"My Documents\" state=\"1\" "
                              "sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" dest=\"F:\\Backup\\\">"
                              "<src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef></Jobs>\r\n";
    std::vector<std::wstring> told;
    SeamOverride<MessageBoxAnswer> texts(g_messageBoxAnswer, [&told](UINT, const CString &text, UINT) {
        told.push_back(text.GetString());
        return IDOK;
    });
    ASSERT_NO_FATAL_FAILURE(MakeDialogOverStore(store));
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 1);
    for (int run = 1; run <= 2; ++run)
    {
        SCOPED_TRACE(run);
        Command(ID_JOBLIST_ITEM);
        Command(IDC_RUN_JOBS);
        ASSERT_TRUE(PumpFor([this] { return m_dialog->GetRunningJobCount() == 0 && m_dialog->viewState == 1; },
                            20000))
            << "the backup did not end";
    }
    CString expected;
    expected.Format(IDS_STORE_NOT_SAVED_BOX, L"F:\\Backup Data\\Tester\\Velbrook Data Backup\\Zel.xml");
    EXPECT_EQ(told, std::vector<std::wstring>{expected.GetString()});
    EXPECT_EQ(StoreText(), store);
}

} // namespace
