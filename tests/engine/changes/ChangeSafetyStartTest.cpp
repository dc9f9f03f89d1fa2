// The program ends and starts again, with the real watcher, file monitor, change processing and runs: what
// changed while it was not running, and what was still settling when it ended, reaches the destinations after
// the next start; a file another program keeps locked goes to the deferred-copy queue, logged once, and is
// copied once it is let go, each in turn; a burst of 1,000 new files all reach the destination; and with the
// program and its data folder on the watched drive, a new file reaches the destination once and nothing of the
// program's own is copied.
#include <optional>

#include "ChangesTestSupport.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/JobPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/DestPaths.h"
#include "engine/run/RunThread.h"
#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "outside/Phrasel/PhraselIds.h"
#include "support/TestDrive.h"

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

TEST_F(ChangeSafetyStart, LockedFilesGoToTheDeferredQueueLoggedOnceAndEachIsCopiedOnceLetGo)
{
    // A minute of the monitor's ticks in 1.2 s.
    SeamOverride tick(g_fileMonTickMs, 20u);
    LoadJobs(Job(L"Docs", m_dst, L"", kRanBefore));
    CSyncJob *job = JobNamed(L"Docs");
    const wchar_t *const names[] = {L"accounts.mdb", L"letter.txt"};
    const wchar_t *const revisions[] = {L"accounts(00).mdb", L"letter(00).txt"};
    for (const wchar_t *name : names)
        Write(m_dst + name, "old");
    CChangeWatch watch;
    Start(watch);
    // Written and kept open by another program.
    auto writeAndHold = [](const std::wstring &path) {
        CKernelHandle file(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        EXPECT_TRUE(::WriteFile(file.Get(), "new", 3, &written, nullptr));
        return file;
    };
    auto queued = [&](const wchar_t *name) {
        return CountLines(JobLogLines(*job), EntryLine(IDS_LOG_CHANGE_LOCKED_QUEUED, kAnyTime, (m_src + name).c_str()));
    };
    const std::wstring copied =
        EntryLine(IDS_LOG_QUEUE_COPIED, kAnyTime, (m_src + L"letter.txt").c_str(), (m_dst + L"letter.txt").c_str());
    {
        // The database stays held for the whole test, and was queued first.
        CKernelHandle accounts = writeAndHold(m_src + L"accounts.mdb");
        {
            CKernelHandle letter = writeAndHold(m_src + L"letter.txt");
            EXPECT_TRUE(m_window->PumpUntil([&] { return queued(names[0]) == 1 && queued(names[1]) == 1; }, 20000));
            for (int i = 0; i < 2; ++i)
            {
                EXPECT_EQ(ReadFileBytes(m_dst + names[i]), "old");
                EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\" + revisions[i]), "old") << "kept before it is replaced";
            }
        }
        // The letter is let go: it is copied while the database still waits. Its copy is looked at once the
        // queue is done with it: a read of it meanwhile could keep the queue from putting it in place.
        EXPECT_TRUE(m_window->PumpUntil([&] { return CountLines(AppLogLines(), copied) == 1; }, 20000));
        for (const int wait : {0, 10000})
        {
            m_window->PumpUntil([] { return false; }, wait);
            EXPECT_EQ(ReadFileBytes(m_dst + L"letter.txt"), "new");
            EXPECT_EQ(ReadFileBytes(m_dst + L"accounts.mdb"), "old");
            EXPECT_EQ(g_fileCopyingQueue.GetCount(), 1);
        }
    }
    EXPECT_TRUE(m_window->PumpUntil([&] { return g_fileCopyingQueue.GetCount() == 0; }, 20000));
    EXPECT_EQ(ReadFileBytes(m_dst + L"accounts.mdb"), "new");
    m_window->PumpUntil([] { return false; }, 1000);
    for (const wchar_t *name : names)
        EXPECT_EQ(queued(name), 1) << "logged once";
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

TEST_F(ChangeSafetyStart, TheProgramAndItsDataOnTheWatchedDriveAreNeverCopiedAndNothingNests)
{
    SeamOverride tick(g_fileMonTickMs, 50u);
    ASSERT_EQ(CreateFolderPath((m_folder / L"drive").c_str()), 0u);
    TestDrive drive(L'Q', m_folder / L"drive");
    ASSERT_EQ(drive.Error(), L"");
    // The program started from the drive it watches, as from the system drive: the one-click job backs up the
    // drive's root into "Backup Data\<computer>\", which holds the program's data folder, beside the program. A
    // two-way job keeps the drive's root in step with a folder elsewhere.
    const std::wstring dest = drive.Root() + L"Backup Data\\PC\\", data = dest + L"Velbrook Data Backup\\";
    const std::wstring program = drive.Root() + L"Tarnvel Program Files\\", synced = m_folder / L"sync\\";
    ASSERT_EQ(CreateFolderPath(data.c_str()), 0u);
    ASSERT_EQ(CreateFolderPath(synced.c_str()), 0u);
    Write(program + L"Tarnvel.exe", "program");
    const testsupport::ScopedValue<CString> programFolder(g_strAppFolder, program.c_str());
    g_strDataFolder = data.c_str();
    g_strLogPath = (data + L"Zel.log").c_str();
    ASSERT_EQ(AppLog.Open((data + L"Zel.log").c_str()), 0);
    const Attributes ranBefore{{L"maxver", L"0"}, {L"neverrun", kRanBefore.at(L"neverrun")}};
    Attributes twoWay = ranBefore;
    twoWay[L"sync_type"] = L"2";
    LoadJobs(Job(L"PC", dest, drive.Root(), ranBefore) + Job(L"Sync", synced, drive.Root(), twoWay));
    CSyncJob *oneClick = JobNamed(L"PC"), *sync = JobNamed(L"Sync");
    // The two-way job's pass as its last run left it.
    VssCopyBatch batch;
    ASSERT_EQ(PassAgainstListFile(*sync, drive.Root().c_str(), synced.c_str(), batch, FALSE), 1);
    sync->m_runState = JOB_IDLE;
    for (const auto &[id, folder] :
         {std::pair{IDS_LOG_OWN_FOLDER_SKIPPED, program}, {IDS_LOG_SYNC_OTHER_BACKUP_SKIPPED, dest}})
    {
        const std::wstring line = EntryLine(id, kAnyTime, CutTrailingBackslashes(folder.c_str()).GetString());
        EXPECT_EQ(CountLines(JobLogLines(*sync), line), 1) << testing::PrintToString(line);
    }
    CChangeWatch watch;
    Start(watch);
    m_window->PumpUntil([] { return false; }, 300);

    Write(drive.Root() + L"docs\\letter.txt", "letter");
    Write(program + L"ENU\\update.dat", "the program's own");
    EXPECT_TRUE(m_window->PumpUntil(
        [&] { return Exists(dest + L"docs\\letter.txt") && Exists(synced + L"docs\\letter.txt"); }, 20000));
    // The copies, the jobs' logs and the journal change the drive too; none of it comes back, then or later.
    for (const int wait : {1000, 10000})
    {
        m_window->PumpUntil([] { return false; }, wait);
        for (const std::wstring &folder : {dest, synced})
        {
            Files copies;
            ReadFileTree(folder, copies);
            for (auto it = copies.begin(); it != copies.end();)
                it = it->first.rfind(L"Velbrook Data Backup\\", 0) == 0 ? copies.erase(it) : std::next(it);
            EXPECT_EQ(copies, (Files{{L"docs\\letter.txt", "letter"}}));
        }
        EXPECT_EQ(m_window->RequestsFor(oneClick) + m_window->RequestsFor(sync), 0u)
            << "a run owed for the program's own changes";
    }
    watch.Stop();
}
