// The schedule against the program's clock, as the main window's timer drives it: a clock moved back or forward
// by a day, a due job that cannot run, and a scheduled run's end in the saved store.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <regex>

#include "app/run/RunEndRecord.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/store/SyncJobList.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Clock.h"

using namespace enginetest;

namespace
{

__time64_t g_now = 0;

__time64_t FakeClock()
{
    return g_now;
}

// Local time of a date (month 1-12).
__time64_t LocalTime(int year, int month, int day, int hour, int minute)
{
    struct tm parts = {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_isdst = -1;
    return _mktime64(&parts);
}

const __int64 kDay = 24 * 3600;

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

class ScheduleRules : public EngineTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
        m_savedData = g_strDataFolder;
        g_strDataFolder = m_folder.Path().c_str();
        m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
        InstallBackupRunThread();
    }
    void TearDown() override
    {
        m_window.reset();
        m_list.reset();
        m_workers.reset();
        g_strDataFolder = m_savedData;
        EngineTest::TearDown();
    }

    // The store with one job of the attributes, loaded as the program loads it.
    void Load(const std::wstring &attributes, const std::wstring &children = L"")
    {
        const std::wstring store = L"<?xml version=\"1.0\"?><Tessel xmlns=\"ORVANE\"><jobdef name=\"Timed\" "
                                   L"JobUUID=\"u1\" state=\"1\" sync_type=\"1\" " +
                                   attributes + L">" + children + L"</jobdef></Tessel>";
        ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), std::string(CStringA(store.c_str()).GetString())));
        m_list = std::make_unique<CSyncJobList>(StorePath().c_str(), (m_folder / L"Zel.ini").c_str());
        ASSERT_EQ(m_list->GetCount(), 1);
        m_job = m_list->GetAt(0);
    }
    // One tick of the schedule timer.
    void Tick()
    {
        CSyncJob *due = m_list->GetNextDueJob();
        if (due != nullptr)
            CheckJobPaths(*due, m_watch, nullptr, m_window.get());
    }
    std::wstring StorePath() const
    {
        return m_folder / L"Zel.xml";
    }
    // An attribute of the job in the saved store.
    std::string Stored(const std::string &attribute) const
    {
        const std::string text = testsupport::ReadFileBytes(StorePath());
        std::smatch found;
        if (!std::regex_search(text, found, std::regex(" " + attribute + "=\"([^\"]*)\"")))
            return "(none)";
        return found[1];
    }

    SeamOverride<PFN_CLOCK> m_clock{g_pfnClock, &FakeClock};
    std::unique_ptr<CSyncJobList> m_list;
    CSyncJob *m_job = nullptr;
    std::unique_ptr<FakeMainWindow> m_window;
    NoWatch m_watch;

  private:
    CString m_savedData;
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
};

TEST_F(ScheduleRules, AClockMovedByADayRunsEachJobAtMostOnce)
{
    struct Row
    {
        const char *name;
        const wchar_t *attributes;
        __int64 move;
        bool dueAfterMove;
    } rows[] = {
        // An interval job whose last start now lies a day ahead waits no day: it runs at once.
        {"hourly, back", L"js_type=\"1\" js_mins=\"60\"", -kDay, true},
        {"hourly, forward", L"js_type=\"1\" js_mins=\"60\"", kDay, true},
        // Every day at 09:00: the day it comes to is another day of the week, past its time.
        {"daily, back", L"js_type=\"2\" js_day=\"127\" js_time=\"09:00\"", -kDay, true},
        {"daily, forward", L"js_type=\"2\" js_day=\"127\" js_time=\"09:00\"", kDay, true},
        // Mondays at 09:00: Sunday and Tuesday are not its days.
        {"mondays, back", L"js_type=\"2\" js_day=\"32\" js_time=\"09:00\"", -kDay, false},
        {"mondays, forward", L"js_type=\"2\" js_day=\"32\" js_time=\"09:00\"", kDay, false},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        m_list.reset();
        ASSERT_NO_FATAL_FAILURE(Load(row.attributes));
        // Monday, 1 January 2024, 10:00: every job of the table is due, and runs.
        g_now = LocalTime(2024, 1, 1, 10, 0);
        ASSERT_EQ(m_list->GetNextDueJob(), m_job);
        ASSERT_EQ(m_list->GetNextDueJob(), nullptr);

        g_now += row.move;
        EXPECT_EQ(m_list->GetNextDueJob(), row.dueAfterMove ? m_job : nullptr);
        // Due once: a minute later it is not due again.
        g_now += 60;
        EXPECT_EQ(m_list->GetNextDueJob(), nullptr);
    }
}

TEST_F(ScheduleRules, ADueJobThatCannotRunIsLoggedOnceAndAScheduledRunsEndIsSaved)
{
    const std::wstring source = m_folder / L"src\\";
    const std::wstring dest = m_folder / L"dest\\";
    ASSERT_TRUE(::CreateDirectoryW(source.c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFileBytes(source + L"a.txt", "alpha"));
    ASSERT_NO_FATAL_FAILURE(Load(L"js_type=\"1\" js_mins=\"60\" neverrun=\"2024-01-01 08:00:00\" "
                                 L"complete_status=\"0\" dest=\"" +
                                     dest + L"\"",
                                 L"<src path=\"" + source + L"\" rapid=\"0\" destination=\"" + dest + L"src\\\"/>"));
    m_window = std::make_unique<FakeMainWindow>();
    // The end is the window's: RecordRunEnd below does what its handler does.
    m_window->m_recordOnly = true;
    const std::wstring missing = EntryLine(IDS_LOG_DUE_JOB_MISSING_PATH, kAnyTime, L"Timed", dest.c_str());

    // Due every two hours with its destination missing: one line, not one per tick.
    g_now = LocalTime(2024, 1, 1, 10, 0);
    for (int tick = 0; tick < 3; ++tick)
    {
        Tick();
        g_now += 2 * 3600;
    }
    EXPECT_EQ(CountLines(JobLogLines(*m_job), missing), 1);
    EXPECT_TRUE(m_window->RunRequests().empty());
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 0);

    // With its destination there it runs, and its end is in the saved store.
    ASSERT_TRUE(::CreateDirectoryW(dest.c_str(), nullptr));
    Tick();
    ASSERT_TRUE(m_window->WaitForEnds(1));
    ASSERT_EQ(m_window->EndMessages()[0].message, static_cast<UINT>(WM_JOB_FINISHED));
    EXPECT_EQ(RecordRunEnd(*m_list, *m_job, RunEnd::Finished, false, false), S_OK);
    EXPECT_EQ(testsupport::ReadFileBytes(dest + L"src\\a.txt"), "alpha");
    EXPECT_TRUE(std::regex_match(Stored("neverrun"), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << Stored("neverrun");
    EXPECT_NE(Stored("neverrun"), "2024-01-01 08:00:00");
    EXPECT_EQ(Stored("complete_status"), "1");

    // Having run, it is told about again when it cannot run.
    ASSERT_TRUE(::DeleteFileW((dest + L"src\\a.txt").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW((dest + L"src").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(dest.c_str()));
    g_now += 2 * 3600;
    Tick();
    EXPECT_EQ(CountLines(JobLogLines(*m_job), missing), 2);
}

} // namespace
