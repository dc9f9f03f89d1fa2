// The run road of the main dialog in the test's own process, with scripted runs, a recording tray window and a
// program drive F: (also the system drive): the one-click backup from a card and the big button, a cancel, a
// drive arriving during a run, the journal after a cancelled or failed run, a removed job's late end message, a
// run asked for from another thread, copy errors, and the schedule right after a start.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <thread>

#include "app/start/Qordel.h"
#include "app/support/RunRoadTestSupport.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/DriveMarker.h"
#include "engine/program/ProgramObjects.h"
#include "engine/windows/ErrorReportDlg.h"

namespace
{

using runtest::RecordingTray;

const char kUserJob[] = "<jobdef name=\"My Documents\" state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" "
                        "dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";

std::string NamedJob(const char *name)
{
    return std::string("<jobdef name=\"") + name +
           "\" state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" dest=\"F:\\Backup\\\">"
           "<src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";
}

class RunRoadWindow : public runtest::RunRoadTest
{
  protected:
    CSyncJob *Selected() const
    {
        CJobDef *def = m_dialog->GetJobListView()->GetSelectedJob();
        return def != nullptr ? def->GetOwner() : nullptr;
    }
    bool RunEnded() const
    {
        return m_dialog->GetRunningJobCount() == 0 && m_dialog->viewState == VIEW_BACKUP_PAGE;
    }
    static int Count(const std::string &text, const std::string &part)
    {
        int count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
};

TEST_F(RunRoadWindow, ACardAndTheBigButtonBackUpTheDefaultJobBesideTheUsersJob)
{
    RecordingTray tray;
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    Command(ID_JOBLIST_ITEM);
    ASSERT_EQ(m_dialog->viewState, VIEW_BACKUP_PAGE);
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 2) << "the user's job stays";
    CSyncJob *built = Selected();
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->GetJobDef()->GetName(), L"Tester");
    EXPECT_EQ(built->GetJobDef()->GetDest(), L"F:\\Backup Data\\Tester\\");
    EXPECT_EQ(built->m_runState, JOB_DISABLED) << "held while its page shows it";
    const CString uuid = built->GetJobDef()->GetJobUUID();

    Command(IDC_RUN_JOBS);
    EXPECT_EQ(m_dialog->viewState, VIEW_BACKUP_RUNNING);
    ASSERT_TRUE(PumpFor([this] { return RunEnded(); }, 20000)) << "the backup did not end";
    EXPECT_EQ(m_runs->Started(), std::vector<CSyncJob *>{built}) << "the page's job ran once released";
    const auto sent = tray.Messages();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent.front(), std::make_pair(2180u, WPARAM(0)));
    EXPECT_EQ(sent.back(), std::make_pair(2180u, WPARAM(100)));
    bool rising = false;
    for (size_t i = 1; i < sent.size(); ++i)
    {
        EXPECT_EQ(sent[i].first, 2180u);
        EXPECT_GE(sent[i].second, sent[i - 1].second) << "the percent never goes back";
        rising = rising || (sent[i].second > 0 && sent[i].second < 100);
    }
    EXPECT_TRUE(rising) << "no percent between 0 and 100";
    const std::string store = StoreText();
    EXPECT_EQ(Count(store, "<jobdef"), 2);
    EXPECT_EQ(Count(store, "name=\"My Documents\""), 1);
    EXPECT_EQ(Count(store, "name=\"Tester\""), 1);
    EXPECT_EQ(Count(store, "backup_count=\"1\""), 1);
    EXPECT_FALSE(m_quitSeen) << "a backup the user started keeps the program";

    // Another one-click backup replaces the default job, keeping its place, card and identity.
    Command(ID_JOBLIST_ITEM);
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    EXPECT_EQ(m_dialog->GetJobListView()->GetItemCount(), 2);
    CSyncJob *rebuilt = Selected();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_NE(rebuilt, built);
    EXPECT_EQ(rebuilt->GetJobDef()->GetJobUUID(), uuid);
    EXPECT_EQ(m_dialog->GetJobListView()->GetItem(1)->m_pJob, rebuilt);
    EXPECT_EQ(m_dialog->GetJobList()->GetAt(0)->GetJobDef()->GetName(), L"My Documents");
}

TEST_F(RunRoadWindow, ACancelIsToldAndADriveArrivingMeanwhileCancelsNothing)
{
    RecordingTray tray;
    m_runs->SetStepTime(400);
    CString id;
    ASSERT_TRUE(GetOrCreateDestinationDriveId(L'f', id));
    const CStringA idText(id);
    // An on-change job of the user's on drive F:, which an arrival of F: enables and would start.
    ASSERT_NO_FATAL_FAILURE(MakeDialog(std::string("<jobdef name=\"Watched\" state=\"1\" sync_type=\"1\" "
                                                   "js_type=\"0\" dest=\"F:\\Backup\\\" uuid=\"") +
                                       idText.GetString() + "\"><src path=\"F:\\Docs\\\" uuid=\"" + idText.GetString() +
                                       "\"/></jobdef>"));
    Command(ID_JOBLIST_ITEM);
    Command(IDC_RUN_JOBS);
    CSyncJob *running = Selected();
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000));

    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << 5;
    ::SendMessageW(m_dialog->GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    EXPECT_EQ(running->m_runState, JOB_BUSY) << "the arrival stopped the run";
    EXPECT_EQ(m_dialog->viewState, VIEW_BACKUP_RUNNING);

    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return RunEnded(); }, 20000)) << "the cancelled backup did not end";
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_BACKUP_CANCELLED});
    const auto sent = tray.Messages();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), std::make_pair(2182u, WPARAM(100)));
    EXPECT_EQ(running->m_runState, JOB_IDLE);
    EXPECT_TRUE(m_dialog->IsWindowEnabled()) << "the cancel gives the window back";
}

TEST_F(RunRoadWindow, ACancelledOrFailedRunPutsTheEarlierJournalBack)
{
    m_runs->SetStepTime(150);
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    const std::wstring bak = Local(L"Backup Data\\Tester\\Velbrook Data Backup\\Tester.restore.bak");
    auto journal = [] {
        std::vector<std::wstring> targets;
        CRestoreJournal reader(g_strDataFolder);
        CStringList read;
        if (reader.Open(L"Tester", 0))
            reader.ReadAll(read);
        for (POSITION at = read.GetHeadPosition(); at != nullptr;)
            targets.push_back(read.GetNext(at).GetString());
        return targets;
    };
    for (const bool cancel : {true, false})
    {
        SCOPED_TRACE(cancel ? "cancelled" : "failed");
        Command(ID_JOBLIST_ITEM);
        CSyncJob *job = Selected();
        ASSERT_NE(job, nullptr);
        CRestoreJournal earlier(g_strDataFolder);
        ASSERT_TRUE(earlier.Open(L"Tester", 1));
        ASSERT_TRUE(earlier.Append(L"F:\\Backup\\Earlier.txt", L"F:\\Docs\\Earlier.txt"));
        earlier.Close(0);
        m_runs->SetFailure(!cancel);

        Command(IDC_RUN_JOBS);
        ASSERT_TRUE(PumpFor([job] { return job->m_bytesDone >= 300; }, 10000)) << "the run wrote nothing";
        if (cancel)
            Command(IDC_RUN_JOBS);
        ASSERT_TRUE(PumpFor([this] { return RunEnded(); }, 20000)) << "the run did not end";
        EXPECT_EQ(journal(), std::vector<std::wstring>{L"F:\\Backup\\Earlier.txt"});
        EXPECT_EQ(::GetFileAttributesW(bak.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(RunRoadWindow, ARemovedJobsLateEndIsIgnoredAndRunsAskedForElsewhereRunHere)
{
    m_runs->SetStepTime(150);
    ASSERT_NO_FATAL_FAILURE(MakeDialog(NamedJob("First") + NamedJob("Second") + NamedJob("Third")));
    CSyncJobList *jobs = m_dialog->GetJobList();
    CSyncJob *first = jobs->GetAt(0);
    CSyncJob *second = jobs->GetAt(1);
    CSyncJob *third = jobs->GetAt(2);
    ASSERT_TRUE(m_dialog->RunJobNow(first, 1));
    ASSERT_TRUE(m_dialog->RunJobNow(second, 1));
    EXPECT_FALSE(m_dialog->RunJobNow(second, 1)) << "a queued job is not claimed twice";
    // The waiting job leaves the collection: its cancel message is still on its way when it is deleted.
    jobs->RemoveJob(second);

    std::thread([this, third] { m_dialog->RunJobNow(third, 1); }).join();
    EXPECT_EQ(third->m_runState, JOB_IDLE) << "nothing is queued on another thread";
    ASSERT_TRUE(
        PumpFor([this] { return m_runs->Started().size() == 2 && m_dialog->GetRunningJobCount() == 0; }, 20000));
    EXPECT_EQ(m_runs->Started(), (std::vector<CSyncJob *>{first, third}));
    EXPECT_EQ(m_boxes, std::vector<UINT>()) << "runs the window did not start end silently";
}

TEST_F(RunRoadWindow, CopyErrorsShowTheirWindowAndTheLog)
{
    m_runs->SetCopyError(true);
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    Command(ID_JOBLIST_ITEM);
    CSyncJob *built = Selected();
    Command(IDC_RUN_JOBS);
    ASSERT_TRUE(PumpFor([this] { return RunEnded(); }, 20000));
    CErrorReportDlg *report = m_dialog->GetErrorReport(built);
    ASSERT_NE(report, nullptr) << "no copy-error window";
    EXPECT_TRUE(report->IsWindowVisible());
    ASSERT_EQ(report->GetList().GetItemCount(), 1);
    EXPECT_EQ(report->GetItemText(0, 1), L"Could not copy F:\\Docs\\Report.txt");
    const std::vector<std::wstring> starts = ShellStarts();
    EXPECT_NE(std::find(starts.begin(), starts.end(),
                        L"notepad \"F:\\Backup Data\\Tester\\Velbrook Data Backup\\Tester.log\""),
              starts.end());
}

TEST_F(RunRoadWindow, RightAfterAStartTheScheduleRunsADueJob)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog("<jobdef name=\"Hourly\" state=\"1\" sync_type=\"1\" js_type=\"1\" "
                                       "js_mins=\"60\" neverrun=\"2024-01-01 10:00:00\" dest=\"F:\\Backup\\\">"
                                       "<src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>"));
    int mode = START_MODE_NONE;
    EXPECT_FALSE(ShowMainDialogForStart(*m_dialog, StartCommand(), mode));
    EXPECT_TRUE(m_dialog->IsWindowVisible());
    m_dialog->ArmScheduleTimer();
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000)) << "the due job did not run";
    EXPECT_EQ(m_runs->Started().front()->GetJobDef()->GetName(), L"Hourly");
}

} // namespace

TEST_F(RunRoadWindow, AChangeInAWatchedFolderReachesTheDestination)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog("<jobdef name=\"Watched\" JobUUID=\"{watched}\" state=\"1\" sync_type=\"1\" "
                                       "js_type=\"0\" maxver=\"2\" autodel=\"true\" neverrun=\"true\" "
                                       "dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" destination=\"F:\\Backup\\\" "
                                       "rapid=\"0\"/></jobdef>"));
    CSyncJob *job = m_dialog->GetJobList()->GetAt(0);
    m_dialog->ArmScheduleTimer();
    // The schedule watches the job's folder and queues its first run.
    ASSERT_TRUE(PumpFor(
        [&] {
            return m_runs->Started().size() == 1 && m_dialog->GetRunningJobCount() == 0 && job->m_runState == JOB_IDLE;
        },
        10000))
        << "the first run of the on-change job did not end";
    ASSERT_TRUE(m_dialog->GetChangeWatch().GetWatcher().IsWatching(OnDrive(L"Docs").c_str()));

    ASSERT_TRUE(testsupport::WriteFileBytes(Local(L"Docs\\New.txt"), "A new file.\r\n"));
    ASSERT_TRUE(
        PumpFor([&] { return testsupport::ReadFileBytes(Local(L"Backup\\New.txt")) == "A new file.\r\n"; }, 15000))
        << "the change did not reach the destination";
    EXPECT_EQ(m_runs->Started().size(), 1u) << "a change is copied outside the run queue";
}
