// The schedule against a fake clock: every-N-minutes and weekly jobs, the start and stop of watching, a clock moved
// by a day, a due job that cannot run, and a scheduled run's end in the saved store.
#include "JobListTestSupport.h"

#include <ctime>
#include <regex>

#include "engine/continuous/JobPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/support/FakeMainWindow.h"
#include "outside/Phrasel/PhraselIds.h"

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"
#include "platform/system/Clock.h"

using namespace joblisttest;

namespace
{

__time64_t g_now = 0;

__time64_t FakeClock()
{
    return g_now;
}

// Local time of a date (month 1-12).
__time64_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0)
{
    struct tm parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return _mktime64(&parts);
}

const int kMonday = 32;

class Schedule : public StoreTest
{
  protected:
    SeamOverride<PFN_CLOCK> m_clock{g_pfnClock, &FakeClock};
};

} // namespace

TEST_F(Schedule, EveryNMinutesIsDueAtTheFirstTickThenAfterItsInterval)
{
    WriteStore(StoreXml(JobXml(L"Every", L"u1", L"state=\"1\" js_type=\"1\" js_mins=\"10\"")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    g_now = LocalTime(2024, 1, 1, 10, 0);

    // Never started since it was made: due at once, and its start time is taken.
    EXPECT_EQ(list.GetNextDueJob(), job);
    EXPECT_EQ(job->m_startTime.Get(), g_now);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);

    g_now += 9 * 60 + 59;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    g_now += 1;
    EXPECT_EQ(list.GetNextDueJob(), job);

    // A busy or disabled job is never due.
    g_now += 3600;
    job->m_runState = JOB_BUSY;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    job->m_runState = JOB_IDLE;
    job->GetJobDef()->SetState(0);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
}

TEST_F(Schedule, EveryZeroMinutesIsDueAtEveryTickWhileIdleAndEnabled)
{
    WriteStore(StoreXml(JobXml(L"Zero", L"u1", L"state=\"1\" js_type=\"1\" js_mins=\"0\"")));
    CSyncJobList list;
    g_now = LocalTime(2024, 1, 1, 10, 0);
    EXPECT_EQ(list.GetNextDueJob(), list.GetAt(0));
    EXPECT_EQ(list.GetNextDueJob(), list.GetAt(0));
    list.GetAt(0)->m_runState = JOB_BUSY;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
}

TEST_F(Schedule, WeeklyJobRunsOnceADayOnItsDaysStrictlyAfterItsTime)
{
    WriteStore(StoreXml(JobXml(L"Weekly", L"u1", L"state=\"1\" js_type=\"2\" js_day=\"32\" js_time=\"09:00\"")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);

    // 2024-01-01 is a Monday. Exactly at the time is not yet due.
    g_now = LocalTime(2024, 1, 1, 9, 0);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    g_now += 1;
    EXPECT_EQ(list.GetNextDueJob(), job);
    EXPECT_EQ(job->GetLastRanDay(), kMonday);
    EXPECT_EQ(job->m_lastRunMonthDay.Get(), 1);
    // A second tick the same day does not run it again.
    g_now += 3600;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);

    // Tuesday is not one of its days.
    g_now = LocalTime(2024, 1, 2, 12, 0);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);

    // The next Monday: "last_ran_day" still says Monday, but the day of the month differs.
    g_now = LocalTime(2024, 1, 8, 8, 59);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    g_now = LocalTime(2024, 1, 8, 9, 30);
    EXPECT_EQ(list.GetNextDueJob(), job);
    EXPECT_EQ(job->m_lastRunMonthDay.Get(), 8);
    EXPECT_EQ(job->GetLastRanDay(), kMonday);
    g_now += 60;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
}

TEST_F(Schedule, WeeklyJobThatRanLastMondayRunsAgainThisMonday)
{
    WriteStore(StoreXml(
        JobXml(L"Weekly", L"u1", L"state=\"1\" js_type=\"2\" js_day=\"32\" js_time=\"09:00\" last_ran_day=\"32\"")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    job->m_lastRunMonthDay = 25; // Monday 2023-12-25
    g_now = LocalTime(2024, 1, 1, 9, 15);
    EXPECT_EQ(list.GetNextDueJob(), job);
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
}

TEST_F(Schedule, WatchedJobsAreReturnedToStartOrStopWatching)
{
    WriteStore(StoreXml(JobXml(L"Watched", L"u1", L"state=\"1\" js_type=\"0\"")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    g_now = LocalTime(2024, 1, 1, 10, 0);

    EXPECT_EQ(list.GetNextDueJob(), job); // enabled, not watched yet: start
    job->m_watchFlag = TRUE;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    job->GetJobDef()->SetState(0);
    EXPECT_EQ(list.GetNextDueJob(), job); // disabled while watched: stop
    job->m_watchFlag = FALSE;
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
    // Busy makes no difference to watching.
    job->GetJobDef()->SetState(1);
    job->m_runState = JOB_BUSY;
    EXPECT_EQ(list.GetNextDueJob(), job);
}

TEST_F(Schedule, OneDueJobPerTickInCollectionOrder)
{
    WriteStore(StoreXml(JobXml(L"Off", L"u0", L"state=\"0\" js_type=\"1\" js_mins=\"0\"") +
                        JobXml(L"First", L"u1", L"state=\"1\" js_type=\"1\" js_mins=\"5\"") +
                        JobXml(L"Second", L"u2", L"state=\"1\" js_type=\"1\" js_mins=\"5\"") +
                        JobXml(L"Odd", L"u3", L"state=\"1\" js_type=\"7\"")));
    CSyncJobList list;
    g_now = LocalTime(2024, 1, 1, 10, 0);
    EXPECT_EQ(list.GetNextDueJob(), list.GetAt(1));
    EXPECT_EQ(list.GetNextDueJob(), list.GetAt(2));
    EXPECT_EQ(list.GetNextDueJob(), nullptr);
}

namespace
{

// A watcher that no scheduled job needs.
class NoWatch : public IDirectoryWatch
{
  public:
    DWORD AddWatch(LPCWSTR, DWORD, CDirectoryChangeHandler *, BOOL) override
    {
        return ERROR_NOT_SUPPORTED;
    }
    BOOL RemoveWatch(LPCWSTR) override
    {
        return FALSE;
    }
    BOOL IsWatching(LPCWSTR) const override
    {
        return FALSE;
    }
};

// The schedule as the main window's timer drives it, with the job logs and the journals in the store's folder.
class ScheduleRules : public Schedule
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(Schedule::SetUp());
        enginetest::UseLanguageLibrary();
        g_strLogPath = (m_folder / L"Zel.log").c_str();
        InstallBackupRunThread();
    }
    // One tick of the schedule timer.
    void Tick(CSyncJobList &list)
    {
        if (CSyncJob *due = list.GetNextDueJob())
            CheckJobPaths(*due, m_watch, nullptr, &m_window);
    }

    SeamOverride<SyncJobWorkers> m_workers{g_syncJobWorkers, g_syncJobWorkers.Get()};
    enginetest::FakeMainWindow m_window;
    NoWatch m_watch;
};

const __int64 kDay = 24 * 3600;

} // namespace

TEST_F(ScheduleRules, AClockMovedByADayRunsEachJobAtMostOnce)
{
    struct Row
    {
        const wchar_t *attributes;
        __int64 move;
        bool due; // after the move
    } rows[] = {
        // An interval job whose last start now lies a day ahead does not wait that day: it runs at once.
        {L"js_type=\"1\" js_mins=\"60\"", -kDay, true},
        {L"js_type=\"1\" js_mins=\"60\"", kDay, true},
        // Every day at 09:00: the day it comes to is another day of the week, and past its time.
        {L"js_type=\"2\" js_day=\"127\" js_time=\"09:00\"", -kDay, true},
        {L"js_type=\"2\" js_day=\"127\" js_time=\"09:00\"", kDay, true},
        // Mondays at 09:00: Sunday and Tuesday are not its days.
        {L"js_type=\"2\" js_day=\"32\" js_time=\"09:00\"", -kDay, false},
        {L"js_type=\"2\" js_day=\"32\" js_time=\"09:00\"", kDay, false},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(testing::Message() << CStringA(row.attributes).GetString() << " moved by " << row.move);
        WriteStore(StoreXml(JobXml(L"Timed", L"u1", std::wstring(L"state=\"1\" ") + row.attributes)));
        CSyncJobList list;
        // Monday 10:00: each is due, and runs.
        g_now = LocalTime(2024, 1, 1, 10, 0);
        ASSERT_EQ(list.GetNextDueJob(), list.GetAt(0));
        ASSERT_EQ(list.GetNextDueJob(), nullptr);
        g_now += row.move;
        EXPECT_EQ(list.GetNextDueJob(), row.due ? list.GetAt(0) : nullptr);
        g_now += 60;
        EXPECT_EQ(list.GetNextDueJob(), nullptr) << "due once";
    }
}

TEST_F(ScheduleRules, ADueJobThatCannotRunIsLoggedOnceAndAScheduledRunsEndIsSaved)
{
    const std::wstring source = m_folder / L"src\\";
    const std::wstring dest = m_folder / L"dest\\";
    ASSERT_TRUE(::CreateDirectoryW(source.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(source + L"a.txt", "alpha"));
    WriteStore(StoreXml(JobXml(L"Timed", L"u1",
                               L"state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"60\" "
                               L"neverrun=\"2024-01-01 08:00:00\" dest=\"" +
                                   dest + L"\"",
                               L"<src path=\"" + source + L"\" rapid=\"0\" destination=\"" + dest + L"src\\\"/>")));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    // The end is the window's: RecordRunEnd below does what its handlers do.
    m_window.m_recordOnly = true;
    const std::wstring missing =
        enginetest::EntryLine(IDS_LOG_DUE_JOB_MISSING_PATH, enginetest::kAnyTime, L"Timed", dest.c_str());

    // Due every two hours, its destination missing: one line, not one per tick.
    for (g_now = LocalTime(2024, 1, 1, 10, 0); g_now < LocalTime(2024, 1, 1, 16, 0); g_now += 2 * 3600)
        Tick(list);
    EXPECT_EQ(enginetest::CountLines(enginetest::JobLogLines(*job), missing), 1);
    EXPECT_TRUE(m_window.EndMessages().empty());

    ASSERT_TRUE(::CreateDirectoryW(dest.c_str(), nullptr));
    Tick(list);
    ASSERT_TRUE(m_window.WaitForEnds(1));
    ASSERT_EQ(m_window.EndMessages()[0].message, static_cast<UINT>(WM_JOB_FINISHED));
    EXPECT_EQ(list.RecordRunEnd(*job, true, false, false), S_OK);
    EXPECT_EQ(testsupport::ReadFileBytes(dest + L"src\\a.txt"), "alpha");
    const CString lastRun = StoredAttribute(L"Timed", L"neverrun");
    EXPECT_TRUE(std::regex_match(std::wstring(lastRun.GetString()), std::wregex(LR"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
    EXPECT_NE(lastRun, L"2024-01-01 08:00:00");
    EXPECT_EQ(StoredAttribute(L"Timed", L"complete_status"), L"1");

    // Having run, it is told about again when it cannot run.
    ASSERT_TRUE(testsupport::RemoveTree(dest));
    g_now += 2 * 3600;
    Tick(list);
    EXPECT_EQ(enginetest::CountLines(enginetest::JobLogLines(*job), missing), 2);
}
