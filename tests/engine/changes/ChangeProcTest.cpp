// Change processing with the real engine, the job store and the snapshot agent's stand-in: what a settled
// change does at the destination, in the journal and the logs, and the runs it leaves owed.
#include <atomic>
#include <thread>

#include "ChangesTestSupport.h"
#include "engine/changes/FileMonOperation.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/snapshot/ZorbitInfo.h"
#include "engine/store/JobDef.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestDrive.h"

using namespace changestest;
using testsupport::ReadFileBytes;

namespace
{

class ChangeProc : public ChangeTest
{
};

std::wstring g_failCopiesFrom;

// Copies from below g_failCopiesFrom fail as if another program held the file.
BOOL WINAPI CopyFailingFrom(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                            DWORD flags)
{
    if (_wcsnicmp(source, g_failCopiesFrom.c_str(), g_failCopiesFrom.size()) == 0)
    {
        ::SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return CopyFileWithProgress(source, target, progress, data, cancel, flags);
}

ULONGLONG g_available = 0;

BOOL WINAPI ScriptedFreeSpace(LPCWSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER free)
{
    if (available != nullptr)
        available->QuadPart = g_available;
    if (total != nullptr)
        total->QuadPart = 100ULL << 30;
    if (free != nullptr)
        free->QuadPart = g_available;
    return TRUE;
}

CKernelHandle g_copying;
std::atomic<bool> g_copyReturned{false};

BOOL WINAPI SlowCopy(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                     DWORD flags)
{
    ::SetEvent(g_copying.Get());
    ::Sleep(700);
    const BOOL copied = CopyFileWithProgress(source, target, progress, data, cancel, flags);
    g_copyReturned = true;
    return copied;
}

std::vector<std::wstring> Files(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"*").c_str(), &data));
    for (bool more = find.IsValid(); more; more = ::FindNextFileW(find, &data))
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(ChangeProc, ACopyKeepsARevisionAndAJournalRecord)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    Write(m_src + L"f.txt", "one");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"f.txt"), 1);
    EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "one");
    EXPECT_FALSE(Exists(m_dst + L"Revision"));

    Write(m_src + L"f.txt", "two");
    EXPECT_EQ(Process(kChangeModified, m_src + L"f.txt"), 1);
    EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "two");
    EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\f(00).txt"), "one");
    EXPECT_EQ(Journal(job), (std::vector<std::wstring>{m_dst + L"f.txt", m_dst + L"f.txt"}));
    EXPECT_EQ(job->m_runState, JOB_IDLE);
    EXPECT_NE(job->GetJobDef()->GetNeverRun(), L"true");

    // A read-only copy is replaced too, though a move over it alone is refused, as on Windows.
    {
        SeamOverride<PFN_MOVE_FILE_EX> move(g_pfnMoveFileEx, &MoveAsWindows);
        ASSERT_TRUE(::SetFileAttributesW((m_dst + L"f.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        Write(m_src + L"f.txt", "three");
        EXPECT_EQ(Process(kChangeModified, m_src + L"f.txt"), 1);
        EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "three");
        EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\f(01).txt"), "two");
    }

    // Never-copied names and files gone since are passed over.
    Write(m_src + L"~$f.doc", "lock");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"~$f.doc"), 1);
    EXPECT_EQ(Process(kChangeAdded, m_src + L"gone.txt"), 1);
    EXPECT_EQ(Files(m_dst), std::vector<std::wstring>{L"f.txt"});
}

TEST_F(ChangeProc, ARemovalDeletesTheCopyOnlyWithAutodel)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    for (const int autodel : {0, 1})
    {
        job->GetJobDef()->SetAutoDel(autodel);
        Write(m_src + L"f.txt", "f");
        Process(kChangeAdded, m_src + L"f.txt");
        ASSERT_TRUE(::DeleteFileW((m_src + L"f.txt").c_str()));
        EXPECT_EQ(Process(kChangeRemoved, m_src + L"f.txt"), 1);
        EXPECT_EQ(Exists(m_dst + L"f.txt"), autodel == 0) << "autodel " << autodel;
    }

    // Excel saves by deleting the workbook and putting the new one in its place within a second.
    Write(m_src + L"book.xls", "old");
    Process(kChangeAdded, m_src + L"book.xls");
    ASSERT_TRUE(::DeleteFileW((m_src + L"book.xls").c_str()));
    std::thread excel([this] {
        ::Sleep(300);
        Write(m_src + L"book.xls", "new");
    });
    EXPECT_EQ(Process(kChangeRemoved, m_src + L"book.xls"), 1);
    excel.join();
    EXPECT_EQ(ReadFileBytes(m_dst + L"book.xls"), "old") << "the copy stays for the new file's own record";
}

TEST_F(ChangeProc, AOneWayRemovalKeepsARevisionOfEveryCopyItDeletes)
{
    // A job that keeps revisions (2) with autodel: a file and a folder deleted by mistake can still come back.
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    Write(m_src + L"f.txt", "letter");
    Write(m_src + L"g.txt", "held");
    Write(m_src + L"Folder\\a.txt", "a");
    Write(m_src + L"Folder\\Sub\\b.txt", "b");
    for (LPCWSTR added : {L"f.txt", L"g.txt", L"Folder"})
        ASSERT_EQ(Process(kChangeAdded, m_src + added), 1);
    ASSERT_EQ(ReadFileBytes(m_dst + L"Folder\\Sub\\b.txt"), "b");

    ASSERT_TRUE(::DeleteFileW((m_src + L"f.txt").c_str()));
    EXPECT_EQ(Process(kChangeRemoved, m_src + L"f.txt"), 1);
    EXPECT_FALSE(Exists(m_dst + L"f.txt"));
    EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\f(00).txt"), "letter");

    ASSERT_TRUE(testsupport::RemoveTree(m_src + L"Folder"));
    EXPECT_EQ(Process(kChangeRemoved, m_src + L"Folder"), 1);
    EXPECT_FALSE(Exists(m_dst + L"Folder"));
    EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\Folder\\a(00).txt"), "a");
    EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\Folder\\Sub\\b(00).txt"), "b");

    // The revision cannot be made: the last copy stays, and the user hears of it.
    g_failCopiesFrom = m_dst + L"g.txt";
    SeamOverride copy(g_pfnCopyFileEx, &CopyFailingFrom);
    ASSERT_TRUE(::DeleteFileW((m_src + L"g.txt").c_str()));
    EXPECT_EQ(Process(kChangeRemoved, m_src + L"g.txt"), 1);
    EXPECT_EQ(ReadFileBytes(m_dst + L"g.txt"), "held");
    EXPECT_EQ(CountLines(JobLogLines(*job), EntryLine(IDS_LOG_CHANGE_COPY_KEPT, kAnyTime, (m_src + L"g.txt").c_str(),
                                                      (m_dst + L"g.txt").c_str())),
              1);
    EXPECT_EQ(job->m_runState, JOB_IDLE);
}

TEST_F(ChangeProc, RenamesFollowTheFileAndOfficeSavesAreLeftAlone)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    for (LPCWSTR name : {L"a.txt", L"a.doc"})
    {
        Write(m_src + name, "a");
        Process(kChangeAdded, m_src + name);
    }
    const struct
    {
        LPCWSTR from;
        LPCWSTR to;
        std::vector<std::wstring> copies;
    } cases[] = {
        {L"a.txt", L"b.txt", {L"a.doc", L"b.txt"}},
        // Word renames the document aside while it saves.
        {L"a.doc", L"~WRL0001.tmp", {L"a.doc", L"b.txt"}},
        // A file the job never kept becomes one it keeps: it is copied.
        {L"x.tmp", L"x.docx", {L"a.doc", L"b.txt", L"x.docx"}},
        // A file without a copy is copied under its new name.
        {L"new.txt", L"newer.txt", {L"a.doc", L"b.txt", L"newer.txt", L"x.docx"}},
    };
    for (const auto &c : cases)
    {
        if (!Exists(m_src + c.from))
            Write(m_src + c.from, "x");
        ASSERT_TRUE(::MoveFileW((m_src + c.from).c_str(), (m_src + c.to).c_str()));
        EXPECT_EQ(Process(kChangeRenamed, m_src + c.from, m_src + c.to), 1);
        EXPECT_EQ(Files(m_dst), c.copies) << CStringA(c.to).GetString();
    }
    EXPECT_EQ(ReadFileBytes(m_dst + L"b.txt"), "a");
    const std::vector<std::wstring> journal = Journal(job);
    EXPECT_NE(std::find(journal.begin(), journal.end(), m_dst + L"b.txt"), journal.end());
    EXPECT_EQ(std::find(journal.begin(), journal.end(), m_dst + L"a.txt"), journal.end());
}

TEST_F(ChangeProc, ATwoWayDeletionKeepsARevisionFirstAndElseKeepsTheCopy)
{
    // A two-way job keeps the revisions of its destination side at the root of the destination's drive.
    TestDrive drive(L'U', m_folder.Path());
    ASSERT_EQ(drive.Error(), L"");
    const std::wstring a = drive.Root() + L"src\\", b = drive.Root() + L"dst\\";
    LoadJobs(Job(L"Sync", b, a));
    CSyncJob *job = JobNamed(L"Sync");
    job->GetJobDef()->SetSyncType(2);
    const CString id = job->GetJobDef()->GetJobUUID();
    for (LPCWSTR name : {L"f.txt", L"g.txt"})
    {
        for (const std::wstring &side : {a, b})
        {
            Write(side + name, "copy");
            TesselDirText list(id);
            ASSERT_TRUE(list.Open(side.c_str()) && list.Add(name, 0));
        }
    }
    auto listed = [&](const std::wstring &side, LPCWSTR name) {
        TesselDirText list(id);
        return list.Open(side.c_str()) && list.Contains(name, 0);
    };

    ASSERT_TRUE(::DeleteFileW((a + L"f.txt").c_str()));
    EXPECT_EQ(Process(kChangeRemoved, a + L"f.txt"), 1);
    EXPECT_FALSE(Exists(b + L"f.txt"));
    EXPECT_EQ(ReadFileBytes(drive.Root() + L"Revision\\Sync\\dst\\f(00).txt"), "copy");
    EXPECT_FALSE(listed(a, L"f.txt"));
    EXPECT_FALSE(listed(b, L"f.txt"));

    // The revision cannot be made: the last copy stays, listed, and the user hears of it.
    g_failCopiesFrom = b;
    SeamOverride copy(g_pfnCopyFileEx, &CopyFailingFrom);
    ASSERT_TRUE(::DeleteFileW((a + L"g.txt").c_str()));
    EXPECT_EQ(Process(kChangeRemoved, a + L"g.txt"), 1);
    EXPECT_EQ(ReadFileBytes(b + L"g.txt"), "copy");
    EXPECT_TRUE(listed(a, L"g.txt") && listed(b, L"g.txt"));
    EXPECT_EQ(CountLines(JobLogLines(*job),
                         EntryLine(IDS_LOG_CHANGE_COPY_KEPT, kAnyTime, (a + L"g.txt").c_str(), (b + L"g.txt").c_str())),
              1);
    EXPECT_EQ(job->m_runState, JOB_IDLE);
}

TEST_F(ChangeProc, AMissingDestinationShowsOneBoxThenRunsOnceItIsBack)
{
    const std::wstring away = m_folder / L"away\\";
    LoadJobs(Job(L"Away", away));
    CSyncJob *job = JobNamed(L"Away");
    std::vector<UINT> boxes;
    SeamOverride answer(g_messageBoxAnswer, MessageBoxAnswer([&](UINT id, const CString &, UINT) {
                            boxes.push_back(id);
                            return IDOK;
                        }));
    Write(m_src + L"f.txt", "f");
    Write(m_src + L"g.txt", "g");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"f.txt"), 1);
    EXPECT_EQ(Process(kChangeAdded, m_src + L"g.txt"), 1);
    EXPECT_EQ(boxes, std::vector<UINT>{IDS_DEST_MISSING_FOR_CHANGES});
    EXPECT_EQ(job->m_runState, JOB_IDLE);

    m_processor->RequestOwedRuns();
    m_window->PumpUntil([] { return false; }, 200);
    EXPECT_EQ(m_window->RequestsFor(job), 0u);
    ASSERT_TRUE(::CreateDirectoryW(away.c_str(), nullptr));
    m_processor->RequestOwedRuns();
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(job) == 1; }));
    EXPECT_FALSE(m_processor->HasOwedRuns());

    // Gone again: the box shows again.
    ASSERT_TRUE(::RemoveDirectoryW(away.c_str()));
    Process(kChangeAdded, m_src + L"f.txt");
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(ChangeProc, AFullDiskLeavesTheFileForARunAndItsFlagClearsWithRoom)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    SeamOverride space(g_pfnGetDiskFreeSpaceEx, &ScriptedFreeSpace);
    job->m_diskFull = TRUE;
    g_available = 0;
    Write(m_src + L"f.txt", "f");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"f.txt"), 1);
    EXPECT_FALSE(Exists(m_dst + L"f.txt"));
    EXPECT_TRUE(job->m_diskFull);
    EXPECT_EQ(
        CountLines(JobLogLines(*job), EntryLine(IDS_LOG_CHANGE_NOT_COPIED_FULL, kAnyTime, (m_src + L"f.txt").c_str())),
        1);
    m_processor->RequestOwedRuns();
    m_window->PumpUntil([] { return false; }, 200);
    EXPECT_EQ(m_window->RequestsFor(job), 0u);

    g_available = 1ULL << 30;
    Write(m_src + L"dir\\g.txt", "g");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"f.txt"), 1);
    EXPECT_EQ(ReadFileBytes(m_dst + L"f.txt"), "f");
    EXPECT_FALSE(job->m_diskFull) << "a full flag left set would make every later folder copy refuse";
    EXPECT_EQ(Process(kChangeAdded, m_src + L"dir"), 1);
    EXPECT_EQ(ReadFileBytes(m_dst + L"dir\\g.txt"), "g");
    m_processor->RequestOwedRuns();
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(job) == 1; }));
}

TEST_F(ChangeProc, EachJobKeepsItsOwnMaxverAndABusyJobDoesNotStopTheNext)
{
    const std::wstring second = m_folder / L"dst2\\";
    LoadJobs(Job(L"One", m_dst) + Job(L"Three", second));
    CSyncJob *one = JobNamed(L"One");
    CSyncJob *three = JobNamed(L"Three");
    one->GetJobDef()->SetMaxVer(1);
    three->GetJobDef()->SetMaxVer(3);
    // Both copies are held open: their revisions come from the snapshot, one batch per job.
    const std::wstring snapshot = m_folder / L"snapshot";
    for (const std::wstring &dest : {m_dst, second})
    {
        Write(dest + L"f.txt", "old");
        Write(snapshot + L"\\" + std::wstring(dest).erase(1, 1) + L"f.txt", "old");
        for (int n = 0; n < 3; ++n)
            Write(dest + L"Revision\\f(0" + std::to_wstring(n) + L").txt", "older");
    }
    ASSERT_TRUE(::SetDllDirectoryW((testsupport::BuildFolder() + L"testbin\\quessel_full").c_str()));
    ASSERT_TRUE(GetZorbitInfo().Load());
    using Script = void (*)(int, const wchar_t *);
    auto script = reinterpret_cast<Script>(
        reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"Quessel.dll"), "QuesselTestScript")));
    ASSERT_NE(script, nullptr);
    script(0, snapshot.c_str());
    g_failCopiesFrom = m_folder / L"dst";
    {
        SeamOverride copy(g_pfnCopyFileEx, &CopyFailingFrom);
        Write(m_src + L"f.txt", "new");
        EXPECT_EQ(Process(kChangeModified, m_src + L"f.txt"), 1);
    }
    EXPECT_EQ(Files(m_dst + L"Revision\\"), std::vector<std::wstring>{L"f(00).txt"});
    EXPECT_EQ(Files(second + L"Revision\\"), (std::vector<std::wstring>{L"f(00).txt", L"f(01).txt", L"f(02).txt"}));
    EXPECT_EQ(ReadFileBytes(m_dst + L"Revision\\f(00).txt"), "old");
    EXPECT_EQ(ReadFileBytes(second + L"Revision\\f(02).txt"), "old");
    EXPECT_EQ(ReadFileBytes(second + L"f.txt"), "new");

    // The first job is busy with a run: the second still gets the change, the first owes a run.
    one->m_runState = JOB_BUSY;
    one->m_startArgument = 1;
    Write(m_src + L"g.txt", "g");
    EXPECT_EQ(Process(kChangeAdded, m_src + L"g.txt"), 1);
    EXPECT_FALSE(Exists(m_dst + L"g.txt"));
    EXPECT_EQ(ReadFileBytes(second + L"g.txt"), "g");
    m_processor->RequestOwedRuns();
    m_window->PumpUntil([] { return false; }, 200);
    EXPECT_EQ(m_window->RequestsFor(one), 0u);
    one->m_runState = JOB_IDLE;
    m_processor->RequestOwedRuns();
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(one) == 1; }));
    EXPECT_EQ(m_window->RequestsFor(three), 0u);
}

TEST_F(ChangeProc, LostChangesGiveOneRunPerWatchingJobRetriedWhileBusy)
{
    LoadJobs(Job(L"One", m_dst) + Job(L"Two", m_folder / L"dst2\\") +
             Job(L"Elsewhere", m_folder / L"dst3\\", m_folder / L"other\\"));
    CSyncJob *one = JobNamed(L"One");
    CSyncJob *two = JobNamed(L"Two");
    CSyncJob *elsewhere = JobNamed(L"Elsewhere");
    one->m_watchFlag = TRUE;
    two->m_watchFlag = TRUE;
    one->m_runState = JOB_BUSY;
    auto *monitor = new CFileMonOperation();
    monitor->WatchError(ERROR_NOTIFY_ENUM_DIR, m_src.c_str());
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(two) == 1; }));
    EXPECT_EQ(m_window->RequestsFor(one), 0u) << "a busy job is asked again once it is idle";
    one->m_runState = JOB_IDLE;
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(one) == 1; }));
    EXPECT_EQ(m_window->RequestsFor(elsewhere), 0u);
    EXPECT_TRUE(one->m_watchFlag) << "an overflow keeps the watch";
    const std::wstring warning = EntryLine(IDS_LOG_CHANGES_LOST, kAnyTime, m_src.c_str());
    EXPECT_EQ(CountLines(JobLogLines(*one), warning), 1);
    EXPECT_EQ(CountLines(AppLogLines(), warning), 1);

    {
        // A change that cannot be handed to the monitor's thread.
        SeamOverride post(g_pfnPostFileMonMessage,
                          PFN_POST_MESSAGE([](HWND, UINT, WPARAM, LPARAM) -> BOOL { return FALSE; }));
        EXPECT_FALSE(monitor->AcceptChange(kChangeAdded, (m_src + L"f.txt").c_str(), L""));
    }
    EXPECT_TRUE(
        m_window->PumpUntil([&] { return m_window->RequestsFor(one) == 2 && m_window->RequestsFor(two) == 2; }));

    // A watch that ended: the jobs watch their folders again.
    monitor->WatchError(ERROR_ACCESS_DENIED, m_src.c_str());
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(two) == 3; }));
    EXPECT_FALSE(one->m_watchFlag || two->m_watchFlag);
    m_window->PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(m_window->RequestsFor(one), 3u);
    EXPECT_EQ(m_window->RequestsFor(two), 3u);
    monitor->Release();
}

TEST_F(ChangeProc, AJobRemovedDuringItsMatchGoesAfterIt)
{
    LoadJobs(Job(L"Docs", m_dst));
    CSyncJob *job = JobNamed(L"Docs");
    Write(m_src + L"f.txt", "f");
    g_copying.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_copyReturned = false;
    SeamOverride copy(g_pfnCopyFileEx, &SlowCopy);
    std::thread processing([this] {
        CCoInitialize com(COINIT_APARTMENTTHREADED);
        Process(kChangeAdded, m_src + L"f.txt");
    });
    ASSERT_EQ(::WaitForSingleObject(g_copying.Get(), 10000), WAIT_OBJECT_0);
    m_list->RemoveJob(job);
    EXPECT_TRUE(g_copyReturned) << "the job went before its match was done";
    processing.join();
    EXPECT_EQ(m_list->GetCount(), 0);
    g_copying.Close();
}

TEST_F(ChangeProc, AReplacedCopyWhoseRevisionDoesNotFitStaysAndAChangeWithoutAPlaceIsLogged)
{
    const std::wstring longer = m_folder / (L"dst-" + std::wstring(20, L'x') + L"\\");
    LoadJobs(Job(L"Docs", m_dst) + Job(L"Longer", longer));
    CSyncJob *job = JobNamed(L"Docs");
    // Copies of 247 characters (the revision's folder fits, its numbered name does not) and of 252 (neither fits).
    for (const size_t length : {247u, 252u})
    {
        const std::wstring relative = std::wstring(length - m_dst.size() - 6, L'd') + L"\\f.txt";
        const std::wstring copy = m_dst + relative;
        Write(m_src + relative, "new");
        Write(copy, "old");
        job->GetJobDef()->SetMaxVer(2);
        const int errors = job->GetErrorCount();
        EXPECT_EQ(Process(kChangeModified, m_src + relative), 1);
        EXPECT_EQ(ReadFileBytes(copy), "old") << length;
        EXPECT_EQ(job->GetErrorCount(), errors + 1);
        EXPECT_EQ(CountLines(JobLogLines(*job), EntryLine(IDS_LOG_REVISION_NOT_MADE, kAnyTime, copy.c_str(), kAnyText)),
                  1);
        // Without revisions nothing stands in the way.
        job->GetJobDef()->SetMaxVer(0);
        EXPECT_EQ(Process(kChangeModified, m_src + relative), 1);
        EXPECT_EQ(ReadFileBytes(copy), "new") << length;
    }
    // The longer destination has no place for the 252-character one: its job says so and owes a run.
    CSyncJob *longerJob = JobNamed(L"Longer");
    const std::wstring relative = std::wstring(252 - m_dst.size() - 6, L'd') + L"\\f.txt";
    EXPECT_EQ(CountLines(JobLogLines(*longerJob),
                         EntryLine(IDS_LOG_CHANGE_NOT_MATCHED, kAnyTime, (m_src + relative).c_str(), kAnyText)),
              2);
    m_processor->RequestOwedRuns();
    EXPECT_TRUE(m_window->PumpUntil([&] { return m_window->RequestsFor(longerJob) == 1; }));
}

TEST_F(ChangeProc, ATwoWayJobsRecycledFolderStaysOnItsSide)
{
    LoadJobs(Job(L"Sync", m_dst, m_src, {{L"sync_type", L"2"}}));
    CSyncJob *job = JobNamed(L"Sync");
    // Where a copy whose place is too long goes, its folders and the file each reported as the watcher does.
    CString place;
    ASSERT_TRUE(job->GetRecycledPath((m_src + L"long.txt").c_str(), m_dst.c_str(), place));
    const std::wstring recycled = place.GetString();
    Write(recycled, "too long for its place");
    for (size_t at = recycled.find(L'\\', m_dst.size());; at = recycled.find(L'\\', at + 1))
    {
        EXPECT_EQ(Process(kChangeAdded, recycled.substr(0, at)), 1);
        if (at == std::wstring::npos)
            break;
    }
    std::map<std::wstring, std::string> source;
    ReadFileTree(m_src, source);
    EXPECT_TRUE(source.empty()) << testing::PrintToString(source);
}

TEST_F(ChangeProc, AHeldTwoWayFileWaitsInTheQueueOnlyWhenItIsTheNewerCopy)
{
    TestDrive drive(L'U', m_folder.Path());
    ASSERT_EQ(drive.Error(), L"");
    const std::wstring a = drive.Root() + L"src\\", b = drive.Root() + L"dst\\";
    LoadJobs(Job(L"Sync", b, a, {{L"sync_type", L"2"}}));
    CSyncJob *job = JobNamed(L"Sync");
    for (const auto &[newer, older] : {std::pair{a, b}, std::pair{b, a}})
    {
        SCOPED_TRACE(newer == a ? "held on the source" : "held on the destination");
        WriteFileAt(older + L"f.txt", "old", 0);
        WriteFileAt(newer + L"f.txt", "new and held", 100);
        const size_t logged = JobLogLines(*job).size();
        {
            LockedFile held(newer + L"f.txt");
            ASSERT_TRUE(held.IsLocked());
            for (const std::wstring &side : {newer, older})
                m_processor->OnStillLocked(MakeFileChangeEntry(kChangeModified, (side + L"f.txt").c_str(), L""));
            EXPECT_EQ(g_fileCopyingQueue.GetCount(), 1);
            EXPECT_TRUE(g_fileCopyingQueue.IsQueued((newer + L"f.txt").c_str(), (older + L"f.txt").c_str()));
        }
        EXPECT_TRUE(m_window->PumpUntil([] { return g_fileCopyingQueue.GetCount() == 0; }, 20000));
        EXPECT_EQ(ReadFileBytes(newer + L"f.txt"), "new and held");
        EXPECT_EQ(ReadFileBytes(older + L"f.txt"), "new and held");
        const std::vector<std::wstring> all = JobLogLines(*job), lines(all.begin() + logged, all.end());
        for (const std::wstring &side : {newer, older})
            EXPECT_EQ(CountLines(lines, EntryLine(IDS_LOG_CHANGE_LOCKED_QUEUED, kAnyTime, (side + L"f.txt").c_str())),
                      side == newer ? 1 : 0);
    }
}
