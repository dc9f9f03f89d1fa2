// The program ends and starts again, with the real watcher, file monitor, change processing and runs: what
// changed while it was not running, and what was still settling when it ended, reaches the destinations after
// the next start; a file another program keeps locked goes to the deferred-copy queue, logged once, and is
// copied once it is let go; a burst of 1,000 new files all reach the destination.
#include <optional>

#include "ChangesTestSupport.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/JobPaths.h"
#include "engine/run/RunThread.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace changestest;
using testsupport::ReadFileBytes;

namespace
{

class ChangeSafetyStart : public ChangeTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ChangeTest::SetUp());
        InstallBackupRunThread();
        InstallListFileRunThread();
    }
    // A job that has run before, so that no first run of its own is due.
    std::wstring RanBefore(std::wstring job, int syncType = 1)
    {
        job.replace(job.find(L"neverrun=\"true\""), 15, L"neverrun=\"2020-01-01 00:00:00\"");
        if (syncType == 2)
            job.replace(job.find(L"sync_type=\"1\""), 13, L"sync_type=\"2\"");
        return job;
    }
    // The program's start, as far as the jobs are concerned: nothing is watched yet, then the schedule's path
    // check watches each job.
    void Start(CChangeWatch &watch)
    {
        for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        {
            m_list->GetAt(i)->m_watchFlag = FALSE;
            CheckJobPaths(*m_list->GetAt(i), watch.GetWatcher(), watch.GetHandler(), m_window.get());
        }
    }
    bool AllIdle() const
    {
        for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        {
            if (m_list->GetAt(i)->m_runState != JOB_IDLE)
                return false;
        }
        return true;
    }

    std::optional<SeamOverride<SyncJobWorkers>> m_workers{std::in_place, g_syncJobWorkers, g_syncJobWorkers.Get()};
};

} // namespace

TEST_F(ChangeSafetyStart, ChangesWhileNotRunningAndStillSettlingAtTheEndAreCopiedAfterTheNextStart)
{
    SeamOverride tick(g_fileMonTickMs, 100u);
    const std::wstring src2 = m_folder / L"src2\\", dst2 = m_folder / L"dst2\\";
    ASSERT_TRUE(::CreateDirectoryW(dst2.c_str(), nullptr));
    LoadJobs(RanBefore(Job(L"Backup", m_dst)) + RanBefore(Job(L"Sync", dst2, src2), 2));
    m_window->runs = true;
    for (const std::wstring &folder : {m_src, src2})
        Write(folder + L"while-off.txt", "off");
    {
        CChangeWatch watch;
        Start(watch);
        EXPECT_TRUE(m_window->PumpUntil(
            [&] {
                return ReadFileBytes(m_dst + L"while-off.txt") == "off" &&
                       ReadFileBytes(dst2 + L"while-off.txt") == "off" && AllIdle();
            },
            30000));
        // The program ends while these still settle.
        for (int i = 0; i < 20; ++i)
        {
            for (const std::wstring &folder : {m_src, src2})
                Write(folder + L"late" + std::to_wstring(i) + L".txt", "late");
        }
        watch.Stop();
    }
    m_window->PumpUntil([] { return false; }, 500);
    CChangeWatch watch;
    Start(watch);
    EXPECT_TRUE(m_window->PumpUntil(
        [&] {
            for (int i = 0; i < 20; ++i)
            {
                for (const std::wstring &folder : {m_dst, dst2})
                {
                    if (ReadFileBytes(folder + L"late" + std::to_wstring(i) + L".txt") != "late")
                        return false;
                }
            }
            return AllIdle();
        },
        60000));
    watch.Stop();
}

TEST_F(ChangeSafetyStart, ALockedFileGoesToTheDeferredQueueLoggedOnceAndIsCopiedOnceLetGo)
{
    // A minute of the monitor's ticks in 1.2 s.
    SeamOverride tick(g_fileMonTickMs, 20u);
    LoadJobs(RanBefore(Job(L"Docs", m_dst)));
    CSyncJob *job = JobNamed(L"Docs");
    Write(m_dst + L"f.txt", "old");
    CChangeWatch watch;
    Start(watch);
    const std::wstring queued = EntryLine(IDS_LOG_CHANGE_LOCKED_QUEUED, kAnyTime, (m_src + L"f.txt").c_str());
    {
        // Written and kept open by another program.
        CKernelHandle file(::CreateFileW((m_src + L"f.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.Get(), "new", 3, &written, nullptr));
        EXPECT_TRUE(m_window->PumpUntil([&] { return CountLines(JobLogLines(*job), queued) == 1; }, 20000));
        EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "old");
        EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\f(00).txt"), "old") << "kept before the queue replaces it";
    }
    EXPECT_TRUE(m_window->PumpUntil([&] { return ReadFileBytes(m_dst + L"f.txt") == "new"; }, 10000));
    m_window->PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(CountLines(JobLogLines(*job), queued), 1);
    watch.Stop();
}

TEST_F(ChangeSafetyStart, ABurstOfAThousandNewFilesAllReachTheDestination)
{
    LoadJobs(RanBefore(Job(L"Docs", m_dst)));
    m_window->runs = true;
    CChangeWatch watch;
    Start(watch);
    ASSERT_TRUE(m_window->PumpUntil([&] { return AllIdle(); }, 30000));
    for (int i = 0; i < 1000; ++i)
        Write(m_src + L"b" + std::to_wstring(i) + L".bin", "burst " + std::to_string(i));
    auto copied = [&] {
        WIN32_FIND_DATAW data;
        CFindHandle find(::FindFirstFileW((m_dst + L"b*.bin").c_str(), &data));
        int count = 0;
        for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
            ++count;
        return count;
    };
    EXPECT_TRUE(m_window->PumpUntil([&] { return copied() == 1000 && AllIdle(); }, 120000)) << copied();
    for (int i = 0; i < 1000; ++i)
    {
        ASSERT_EQ(ReadFileBytes(m_dst + L"b" + std::to_wstring(i) + L".bin"), "burst " + std::to_string(i)) << i;
    }
    watch.Stop();
}
