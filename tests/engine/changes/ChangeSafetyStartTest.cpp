// The program ends and starts again, with the real watcher, file monitor, change processing and runs: what
// changed while it was not running, and what was still settling when it ended, reaches the destinations after
// the next start; a file another program keeps locked goes to the deferred-copy queue, logged once, and is
// copied once it is let go; a burst of 1,000 new files all reach the destination.
#include <optional>

#include "ChangesTestSupport.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/JobPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"

using namespace changestest;
using testsupport::ReadFileBytes;

namespace
{

using Files = std::map<std::wstring, std::string>;

class ChangeSafetyStart : public ChangeTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ChangeTest::SetUp());
        InstallBackupRunThread();
        InstallListFileRunThread();
    }
    // The program's start as far as the jobs are concerned: nothing is watched yet, then the schedule's path
    // check watches each job.
    void Start(CChangeWatch &watch)
    {
        for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        {
            m_list->GetAt(i)->m_watchFlag = FALSE;
            CheckJobPaths(*m_list->GetAt(i), watch.GetWatcher(), watch.GetHandler(), m_window.get());
        }
    }
    // Every job idle and each folder holding exactly the files (looked at without opening one).
    bool Holds(const std::vector<std::wstring> &folders, const Files &files) const
    {
        for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
            if (m_list->GetAt(i)->m_runState != JOB_IDLE)
                return false;
        Files sized = files;
        for (auto &file : sized)
            file.second.assign(file.second.size(), '?');
        for (const std::wstring &folder : folders)
        {
            Files found;
            ReadFileTree(folder, found, true, false);
            if (found != sized)
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
    Attributes twoWay = kRanBefore;
    twoWay[L"sync_type"] = L"2";
    LoadJobs(Job(L"Backup", m_dst, L"", kRanBefore) + Job(L"Sync", dst2, src2, twoWay));
    m_window->runs = true;
    Files files{{L"while-off.txt", "off"}};
    for (const std::wstring &folder : {m_src, src2})
        Write(folder + L"while-off.txt", "off");
    {
        CChangeWatch watch;
        Start(watch);
        EXPECT_TRUE(m_window->PumpUntil([&] { return Holds({m_dst, dst2}, files); }, 30000));
        // The program ends while these still settle.
        for (int i = 0; i < 20; ++i)
        {
            files[L"late" + std::to_wstring(i) + L".txt"] = "late";
            for (const std::wstring &folder : {m_src, src2})
                Write(folder + L"late" + std::to_wstring(i) + L".txt", "late");
        }
        watch.Stop();
    }
    m_window->PumpUntil([] { return false; }, 500);
    CChangeWatch watch;
    Start(watch);
    EXPECT_TRUE(m_window->PumpUntil([&] { return Holds({m_dst, dst2}, files); }, 60000));
    for (const std::wstring &folder : {m_dst, dst2})
    {
        Files copies;
        ReadFileTree(folder, copies);
        EXPECT_TRUE(copies == files) << testing::PrintToString(folder);
    }
    watch.Stop();
}

TEST_F(ChangeSafetyStart, ALockedFileGoesToTheDeferredQueueLoggedOnceAndIsCopiedOnceLetGo)
{
    // A minute of the monitor's ticks in 1.2 s.
    SeamOverride tick(g_fileMonTickMs, 20u);
    LoadJobs(Job(L"Docs", m_dst, L"", kRanBefore));
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
    // The copy is looked at once the queue is done with it: a read of it meanwhile could keep the queue from
    // putting it in place.
    EXPECT_TRUE(m_window->PumpUntil([&] { return g_fileCopyingQueue.GetCount() == 0; }, 20000));
    EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "new");
    m_window->PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(CountLines(JobLogLines(*job), queued), 1);
    watch.Stop();
}

TEST_F(ChangeSafetyStart, ABurstOfAThousandNewFilesAllReachTheDestination)
{
    LoadJobs(Job(L"Docs", m_dst, L"", {{L"maxver", L"0"}, {L"neverrun", kRanBefore.at(L"neverrun")}}));
    m_window->runs = true;
    CChangeWatch watch;
    Start(watch);
    ASSERT_TRUE(m_window->PumpUntil([&] { return Holds({}, {}); }, 30000));
    Files files, copies;
    for (int i = 0; i < 1000; ++i)
    {
        const std::wstring name = L"b" + std::to_wstring(i);
        files[name] = "burst " + std::to_string(i);
        Write(m_src + name, files[name]);
    }
    EXPECT_TRUE(m_window->PumpUntil([&] { return Holds({m_dst}, files); }, 120000));
    ReadFileTree(m_dst, copies);
    EXPECT_TRUE(copies == files);
    watch.Stop();
}
