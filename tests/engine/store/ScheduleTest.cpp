// The schedule against a fake clock: every-N-minutes and weekly jobs, and the start and stop of watching.
#include "JobListTestSupport.h"

#include <ctime>

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
