// The backup run from the run queue to its end message, on a real tree in a temporary folder.
#include <process.h>

#include <algorithm>
#include <set>

#include "RunTestSupport.h"
#include "engine/job/JobDeque.h"
#include "engine/store/JobDef.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/XmlLayer.h"
#include "outside/OutlookTessel/OutlookFacade.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"

using namespace runtest;

namespace
{

std::set<std::wstring> AsSet(const std::vector<std::wstring> &items)
{
    std::set<std::wstring> set;
    for (const std::wstring &item : items)
    {
        std::wstring upper = item;
        std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
        set.insert(upper);
    }
    return set;
}

std::wstring DeepFolder(int levels)
{
    std::wstring folder = L"deep\\";
    for (int i = 0; i < levels; ++i)
        folder += L"dd\\";
    return folder;
}

std::atomic<CSyncJob *> g_cancelAfterFirstCopy{nullptr};

BOOL WINAPI CopyThenCancel(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress, LPVOID data, LPBOOL cancel,
                           DWORD flags)
{
    BOOL copied = CopyFileWithProgress(source, target, progress, data, cancel, flags);
    if (CSyncJob *job = g_cancelAfterFirstCopy.load())
        job->m_cancelFlag = TRUE;
    return copied;
}

} // namespace

TEST_F(RunTest, WholeTreeWithFilteredLockedAndDeepEntries)
{
    WriteSource(L"a.txt", "alpha");
    WriteSource(L"sub\\b.doc", "bravo!");
    WriteSource(L"~$report.doc", "lock");
    WriteSource(L"old.bak", "filtered");
    std::wstring locked = WriteSource(L"locked.txt", "held");
    WriteSource(DeepFolder(60) + L"f60.txt", "five");
    std::wstring deep = WriteSource(DeepFolder(100) + L"f100.txt", "hundred");
    ASSERT_TRUE(Exists(deep));
    m_job->GetJobDef()->SetInclude(L"*.*");
    m_job->GetJobDef()->SetExclude(L".bak");
    AddSource(Src(), true);

    LockedFile hold(locked);
    ASSERT_TRUE(hold.IsLocked());
    PostedMessage end = Run();

    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"a.txt")), "alpha");
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"sub\\b.doc")), "bravo!");
    EXPECT_EQ(testsupport::ReadFileBytes(Target(DeepFolder(60) + L"f60.txt")), "five");
    EXPECT_FALSE(Exists(Target(L"~$report.doc")));
    EXPECT_FALSE(Exists(Target(L"old.bak")));
    EXPECT_FALSE(Exists(Target(L"locked.txt")));
    EXPECT_EQ(m_job->m_filesCopied, 3);
    EXPECT_EQ(m_job->m_entriesFiltered, 2);
    // The held file and the deepest one, whose target is beyond the path limit: each a failed file, counted,
    // listed and logged under its source; nothing is written for the deep one.
    EXPECT_EQ(m_job->GetErrorCount(), 2);
    EXPECT_EQ(m_job->GetErrorList().GetCount(), 2u);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_COPY_FAILED, kAnyTime, deep.c_str())), 1);
    EXPECT_FALSE(Exists(Target(DeepFolder(100))));
    EXPECT_EQ(m_job->GetJobDef()->GetCompleteStatus(), 1);

    // The journal lists only targets that exist: the held file was not copied.
    std::set<std::wstring> expected =
        AsSet({Target(L"a.txt"), Target(L"sub\\b.doc"), Target(DeepFolder(60) + L"f60.txt")});
    EXPECT_EQ(AsSet(JournalTargets()), expected);
}

TEST_F(RunTest, SecondRunCopiesNothingAndCountsSizesAsDone)
{
    WriteSource(L"a.txt", "12345");
    WriteSource(L"sub\\b.txt", "1234567890");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    ASSERT_EQ(m_job->m_filesCopied, 2);

    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 0);
    EXPECT_EQ(m_job->m_filesCopied, 0);
    EXPECT_EQ(m_job->m_bytesDone, 15u);
    // Up-to-date files are journaled too: the journal still lists everything a restore needs.
    EXPECT_EQ(AsSet(JournalTargets()), AsSet({Target(L"a.txt"), Target(L"sub\\b.txt")}));
}

TEST_F(RunTest, CompareModeCopiesChangesOfFiveSecondsOrMore)
{
    std::wstring newer = WriteSource(L"newer.txt", "old");
    std::wstring close = WriteSource(L"close.txt", "old");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);

    ASSERT_TRUE(testsupport::WriteFileBytes(newer, "new"));
    ASSERT_TRUE(testsupport::WriteFileBytes(close, "new"));
    ASSERT_TRUE(SetWriteTime(newer, Target(L"newer.txt"), 10));
    ASSERT_TRUE(SetWriteTime(close, Target(L"close.txt"), 4));
    EXPECT_EQ(Run().message, WM_JOB_FINISHED);

    EXPECT_EQ(m_job->m_filesCopied, 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"newer.txt")), "new");
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"close.txt")), "old");
    EXPECT_EQ(m_job->GetErrorCount(), 0);
}

TEST_F(RunTest, FullCopyCopiesEveryPresentTargetOnlyOutsideBackupMode)
{
    WriteSource(L"a.txt");
    WriteSource(L"sub\\b.txt");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);

    // A backup run clears full copy at its start.
    m_job->m_fullCopy = TRUE;
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_EQ(m_job->m_filesCopied, 0);
    EXPECT_FALSE(m_job->m_fullCopy);

    m_job->m_restoreRun = TRUE;
    m_job->m_fullCopy = TRUE;
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_EQ(m_job->m_filesCopied, 2);
}

TEST_F(RunTest, FileChildrenCopyOnlyTheChosenFiles)
{
    std::wstring chosen = WriteSource(L"chosen.txt");
    WriteSource(L"other.txt");
    WriteSource(L"sub\\below.txt");
    IXMLDOMElementPtr source = AddSource(Src());
    // The stored path may differ in case from the listing.
    CString stored = chosen.c_str();
    stored.MakeUpper();
    AddFileChild(source, stored.GetString());

    EXPECT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_TRUE(Exists(Target(L"chosen.txt")));
    EXPECT_FALSE(Exists(Target(L"other.txt")));
    EXPECT_FALSE(Exists(Target(L"sub")));
    EXPECT_EQ(m_job->m_filesCopied, 1);
    EXPECT_EQ(m_job->m_entriesFiltered, 1);
}

TEST_F(RunTest, FileSourceGoesUnderTheDestination)
{
    std::wstring file = WriteSource(L"single.txt", "one");
    AddSource(file);
    EXPECT_EQ(Run().message, WM_JOB_FINISHED);
    EXPECT_EQ(testsupport::ReadFileBytes(Dest() + L"single.txt"), "one");
}

TEST_F(RunTest, CancelEndsWithCancelledAndKeepsTheStatus)
{
    for (int i = 0; i < 5; ++i)
        WriteSource(L"f" + std::to_wstring(i) + L".txt");
    AddSource(Src());
    g_cancelAfterFirstCopy = m_job.get();
    SeamOverride copy(g_pfnCopyFileEx, &CopyThenCancel);
    PostedMessage end = Run();
    g_cancelAfterFirstCopy = nullptr;

    EXPECT_EQ(end.message, WM_JOB_CANCELLED);
    EXPECT_EQ(end.lParam, 0);
    EXPECT_LT(m_job->m_filesCopied, 5);
    EXPECT_EQ(m_job->GetJobDef()->GetCompleteStatus(), 4);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RUN_CANCELLED, kAnyTime)), 1);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_RUN_ENDED, kAnyTime)), 0);
}

TEST_F(RunTest, JobWithoutSourceListEndsAsFailed)
{
    CSyncJob unbound;
    unbound.m_journalFlag = FALSE;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0x10000, &RunThreadProc, &unbound, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    CKernelHandle owner(thread);
    ASSERT_TRUE(m_window->WaitForEnds(1));
    ::WaitForSingleObject(thread, 10000);
    std::vector<PostedMessage> ends = m_window->EndMessages();
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].message, WM_JOB_FAILED);
    EXPECT_EQ(ends[0].job, &unbound);
}

TEST_F(RunTest, AJobWithNoSourceAtAllEndsWithAnErrorNotAsDone)
{
    // A one-shot start ends with code 1 for it, not 0: nothing was backed up.
    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 1);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_NO_SOURCE, kAnyTime)), 1);
}

TEST_F(RunTest, BadSourcesAreCountedAndTheRunGoesOn)
{
    WriteSource(L"a.txt", "kept");
    AddSource(L"");
    AddSource((m_folder / L"missing\\").c_str());
    AddSource(L"Q");
    AddSource(Src());

    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Target(L"a.txt")), "kept");
    EXPECT_GE(m_job->GetErrorCount(), 2);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_SOURCE_FORM, L"")), 1);
}

TEST_F(RunTest, MailStoreGoesThroughTheMailLibraryAndAFailureIsCounted)
{
    std::wstring store = WriteSource(L"mail.pst", "store");
    AddSource(store + L"\\");
    WriteSource(L"after\\a.txt", "after");
    AddSource(Src() + L"after\\");
    m_job->GetJobDef()->SetSyncType(1);

    OutlookTesselReset();
    PostedMessage end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 0);
    wchar_t calls[4096] = {};
    OutlookTesselGetCalls(calls, 4096);
    EXPECT_NE(std::wstring(calls).find(L"BackupMessage " + store + L" > "), std::wstring::npos) << calls;

    OutlookTesselReset();
    OutlookTesselScriptFailure(L"BackupMessage", 1, ERROR_ACCESS_DENIED);
    end = Run();
    EXPECT_EQ(end.message, WM_JOB_FINISHED);
    EXPECT_EQ(end.lParam, 1);
    EXPECT_EQ(m_job->GetErrorCount(), 1);
    EXPECT_EQ(LogCount(EntryLine(IDS_LOG_COPY_FAILED, kAnyTime, (store + L"\\").c_str())), 1)
        << "the failed store is named in the log";
    // The sources after the mail store are still backed up.
    EXPECT_TRUE(Exists(Dest() + L"after\\a.txt"));
    OutlookTesselReset();
}

TEST(RunPaths, TargetJoinsTheDestinationWithOneBackslash)
{
    CString target;
    EXPECT_TRUE(MakeRevisionPath(L"C:\\Docs\\sub\\a.txt", L"C:\\Docs\\", L"E:\\Backup", target));
    EXPECT_EQ(target, L"E:\\Backup\\sub\\a.txt");
    EXPECT_TRUE(MakeRevisionPath(L"C:\\Docs\\sub\\a.txt", L"c:\\docs\\", L"E:\\Backup\\", target));
    EXPECT_EQ(target, L"E:\\Backup\\sub\\a.txt");
    EXPECT_TRUE(MakeRevisionPath(L"D:\\a.txt", L"D:\\", L"E:\\B\\D\\", target));
    EXPECT_EQ(target, L"E:\\B\\D\\a.txt");

    EXPECT_FALSE(MakeRevisionPath(L"C:\\Other\\a.txt", L"C:\\Docs\\", L"E:\\Backup", target));
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_FALSE(MakeRevisionPath(L"C:\\Docs\\a.txt", L"C:\\Docs\\", L"", target));
    std::wstring longName(250, L'x');
    EXPECT_FALSE(MakeRevisionPath((L"C:\\Docs\\" + longName).c_str(), L"C:\\Docs\\", L"E:\\Backup", target));
}

TEST(RunPaths, FileSourceTarget)
{
    CString target;
    EXPECT_TRUE(MakeFileSourceTarget(L"C:\\Docs\\a.txt", L"", L"E:\\Backup", target));
    EXPECT_EQ(target, L"E:\\Backup\\a.txt");
    EXPECT_TRUE(MakeFileSourceTarget(L"C:\\Docs\\a.txt", L"F:\\Put\\", L"E:\\Backup", target));
    EXPECT_EQ(target, L"F:\\Put\\a.txt");
    EXPECT_TRUE(MakeFileSourceTarget(L"C:\\Docs\\a.txt", L"F:\\b.txt", L"E:\\Backup", target));
    EXPECT_EQ(target, L"F:\\b.txt");
    EXPECT_FALSE(MakeFileSourceTarget(L"C:\\Docs\\a.txt", L"", L"", target));
}

TEST(RunPaths, SourceKindsAndUpToDateTimes)
{
    EXPECT_EQ(GetRunSourceKind(L""), RunSourceKind::Invalid);
    EXPECT_EQ(GetRunSourceKind(L"C:\\Mail\\outlook.pst\\"), RunSourceKind::MailStore);
    EXPECT_EQ(GetRunSourceKind(L"C:\\Docs\\a.txt"), RunSourceKind::File);
    EXPECT_EQ(GetRunSourceKind(L"C:\\Docs\\"), RunSourceKind::Folder);
    EXPECT_EQ(GetRunSourceKind(L"D:\\"), RunSourceKind::Folder);

    FILETIME base = {0x12345678, 0x01D00000};
    auto plus = [&](LONGLONG seconds) {
        ULARGE_INTEGER value;
        value.LowPart = base.dwLowDateTime;
        value.HighPart = base.dwHighDateTime;
        value.QuadPart += seconds * 10000000LL;
        FILETIME time = {value.LowPart, value.HighPart};
        return time;
    };
    EXPECT_TRUE(IsUpToDate(plus(4), base));
    EXPECT_TRUE(IsUpToDate(base, plus(4)));
    EXPECT_FALSE(IsUpToDate(plus(5), base));
    EXPECT_FALSE(IsUpToDate(base, plus(10)));
}

TEST(RunPaths, FindSourceNodeIgnoresCase)
{
    RunSource source;
    for (LPCWSTR path : {L"C:\\Docs\\a.txt", L"C:\\Docs\\B.txt"})
    {
        source.files.push_back(path);
        CString key = path;
        key.MakeUpper();
        source.fileKeys.insert(key);
    }
    EXPECT_EQ(FindSourceNode(source, L"C:\\Docs\\b.TXT"), 1);
    EXPECT_EQ(FindSourceNode(source, L"C:\\Docs\\a.txt"), 0);
    EXPECT_EQ(FindSourceNode(source, L"C:\\Docs\\c.txt"), -1);
    EXPECT_EQ(FindSourceNode(source, nullptr), -1);
}

namespace
{

BOOL UnreadableSources(IXMLDOMElement *, std::vector<RunSource> &)
{
    return FALSE;
}

} // namespace

TEST_F(RunTest, ARunWhoseSourcesCannotBeReadPutsTheLastJournalBackItself)
{
    WriteSource(L"a.txt", "alpha");
    AddSource(Src());
    ASSERT_EQ(Run().message, WM_JOB_FINISHED);
    const std::vector<std::wstring> first = JournalTargets();
    ASSERT_EQ(first.size(), 1u);

    // Only the run thread itself rolls back here: the window records the end and does nothing more.
    SeamOverride unreadable(g_pfnReadRunSources, &UnreadableSources);
    m_window->m_recordOnly = true;
    const size_t before = m_window->CountEnds();
    GetJobDeque().Enqueue(m_job.get(), 0);
    ASSERT_TRUE(m_window->WaitForEnds(before + 1));
    ::WaitForSingleObject(m_job->GetRunThread(), 10000);
    EXPECT_EQ(m_window->EndMessages().back().message, WM_JOB_FAILED);
    EXPECT_EQ(m_job->GetRestoreJournal()->GetMode(), CRestoreJournal::ModeClosed);
    EXPECT_EQ(JournalTargets(), first);
    GetJobDeque().OnJobFinished(m_job.get(), false);
}
