// The job object with the main window double: cancel of a waiting and of a busy job, disable through late end
// messages, destruction of a busy job, a job built before the main window, the start's stamps, the running
// bit in a real status block, and the destination check through an injected connection.
#include "SyncJobTestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/program/ProgramObjects.h"
#include "engine/journal/RestoreJournal.h"
#include "platform/system/CopyFile.h"

using namespace syncjobtest;

namespace
{

class SyncJobTest : public JobTest
{
  protected:
    void SetUp() override
    {
        JobTest::SetUp();
        m_window = std::make_unique<FakeMainWindow>();
    }
    void TearDown() override
    {
        m_window.reset();
        JobTest::TearDown();
    }

    size_t Started()
    {
        std::lock_guard<std::mutex> hold(Script().lock);
        return Script().started.size();
    }
    bool HasEnd(UINT message, CSyncJob *job, LPARAM lParam)
    {
        for (const PostedMessage &posted : m_window->EndMessages())
        {
            if (posted.message == message && posted.job == job && posted.lParam == lParam)
                return true;
        }
        return false;
    }

    std::unique_ptr<FakeMainWindow> m_window;
    ScriptedWorkers m_workers;
};

std::string Bytes(size_t count)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i * 7 + 3);
    return bytes;
}

} // namespace

TEST_F(SyncJobTest, CancelOfAWaitingJobTakesItOutAndPostsCancelledWithOne)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    GetJobDeque().Enqueue(a.get(), 1);
    GetJobDeque().Enqueue(b.get(), 1);
    ASSERT_TRUE(m_window->PumpUntil([&] { return Started() == 1; }));

    b->Cancel();
    EXPECT_EQ(b->m_runState, JOB_IDLE);
    EXPECT_EQ(GetJobDeque().GetWaitingCount(), 0u);
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_CANCELLED, b.get(), 1); }));
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 1) << "the running job is still counted";

    ::SetEvent(Script().release.Get());
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_FINISHED, a.get(), 0); }));
    EXPECT_EQ(Started(), 1u);
}

TEST_F(SyncJobTest, CancelOfABusyJobReturnsOnlyAfterItsWorkerPostedCancelled)
{
    Script().source = m_folder / L"big.bin";
    Script().target = m_folder / L"big.copy";
    Script().delayMs = 30;
    ASSERT_TRUE(testsupport::WriteFileBytes(Script().source, Bytes(24 * 1024 * 1024)));
    auto job = NewJob(L"Busy", Dest());
    GetJobDeque().Enqueue(job.get(), 1);
    ASSERT_TRUE(m_window->PumpUntil([&] { return job->m_bytesDone > 0; }));
    ASSERT_NE(job->GetRunThread(), nullptr);

    job->Cancel();
    EXPECT_TRUE(HasEnd(WM_JOB_CANCELLED, job.get(), 0));
    EXPECT_EQ(m_window->CountEnds(), 1u);
    EXPECT_EQ(Script().endedNormally, 1);
    EXPECT_EQ(job->GetRunThread(), nullptr);
    EXPECT_FALSE(job->m_cancelFlag);
    EXPECT_EQ(job->m_runState, JOB_IDLE);
    EXPECT_LT(job->m_bytesDone, 24ull * 1024 * 1024);
    EXPECT_EQ(::GetFileAttributesW(Script().target.c_str()), INVALID_FILE_ATTRIBUTES)
        << "a cancelled copy leaves no partial target";
}

TEST_F(SyncJobTest, JobDestroyedWhileWaitingLeavesTheQueue)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    GetJobDeque().Enqueue(a.get(), 1);
    GetJobDeque().Enqueue(b.get(), 1);
    ASSERT_TRUE(m_window->PumpUntil([&] { return Started() == 1; }));
    b.reset();
    EXPECT_EQ(GetJobDeque().GetWaitingCount(), 0u);

    ::SetEvent(Script().release.Get());
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_FINISHED, a.get(), 0); }));
    EXPECT_EQ(Started(), 1u);
}

TEST_F(SyncJobTest, DisabledJobStaysDisabledThroughItsLateEndMessage)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    GetJobDeque().Enqueue(a.get(), 1);
    GetJobDeque().Enqueue(b.get(), 1);
    ASSERT_TRUE(m_window->PumpUntil([&] { return Started() == 1; }));

    b->Disable();
    EXPECT_EQ(b->m_runState, JOB_DISABLED);
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_CANCELLED, b.get(), 1); }));
    EXPECT_EQ(b->m_runState, JOB_DISABLED);
    EXPECT_TRUE(b->m_cancelFlag);
    EXPECT_EQ(b->GetJobDef()->GetState(), 0);
    EXPECT_EQ(XmlGetAttributeInt(b->GetElement(), L"state"), 0);

    b->Enable();
    EXPECT_EQ(b->m_runState, JOB_IDLE);
    EXPECT_FALSE(b->m_cancelFlag);
    EXPECT_EQ(XmlGetAttributeInt(b->GetElement(), L"state"), 1);

    ::SetEvent(Script().release.Get());
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_FINISHED, a.get(), 0); }));
}

TEST_F(SyncJobTest, BusyJobIsStoppedWithinFiveSecondsWithoutBeingCutOff)
{
    for (int syncType : {0, 2})
    {
        auto job = NewJob(L"Busy", Dest());
        job->GetJobDef()->SetSyncType(syncType);
        GetJobDeque().Enqueue(job.get(), 1);
        ASSERT_TRUE(m_window->PumpUntil([&] { return Started() == static_cast<size_t>(syncType == 0 ? 1 : 2); }));
        EXPECT_EQ(syncType == 2, job->GetListFileRunThread() != nullptr);

        CSyncJob *gone = job.get();
        m_window->m_recordOnly = true;
        DWORD start = ::GetTickCount();
        job.reset();
        EXPECT_LT(::GetTickCount() - start, 4000u);
        EXPECT_EQ(Script().endedNormally, syncType == 0 ? 1 : 2) << "the worker ended on its own";

        // The queue hears of the run as the dialog would, which checks its collection before touching a job.
        ASSERT_TRUE(m_window->PumpUntil([&] { return m_window->CountEnds() == (syncType == 0 ? 1u : 2u); }));
        GetJobDeque().OnJobFinished(gone, false);
        m_window->m_recordOnly = false;
    }
}

TEST_F(SyncJobTest, JobBuiltBeforeTheMainWindowPostsToTheWindowOfTheMoment)
{
    m_window.reset();
    ASSERT_EQ(g_pMainDlg.load(), nullptr);
    auto job = NewJob(L"Early", m_folder / L"nowhere\\");
    job->m_runState = JOB_BUSY;
    job->PostStatus(L"lost");
    EXPECT_EQ(job->GetStatusText(), CString(L"")) << "without a main window the status is not taken";

    m_window = std::make_unique<FakeMainWindow>();
    job->PostStatus(L"scanning");
    job->m_runState = JOB_IDLE;
    GetJobDeque().Enqueue(job.get(), 1);
    ASSERT_TRUE(m_window->PumpUntil([&] { return HasEnd(WM_JOB_FAILED, job.get(), 0); }));
    std::vector<PostedMessage> messages = m_window->Messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, WM_JOB_PROGRESS);
    EXPECT_EQ(messages[0].job, job.get());
}

TEST_F(SyncJobTest, StartStampsTheRunAndKeepsTheOpenLog)
{
    auto job = NewJob(L"Stamp", Dest());
    std::wstring log = m_folder / L"Stamp.log";
    ASSERT_EQ(std::wstring(job->GetLog().GetPath()), log);
    job->m_errorCount = 4;
    job->m_entriesFound = 9;
    job->m_diskFull = TRUE;
    job->m_destinationLost = TRUE;
    // A network error of the last run would cancel every copy of this one at its first progress call.
    job->m_networkRetry = TRUE;
    __int64 before = _time64(nullptr);

    // The restore page marks the run it queues as a restore.
    job->m_restoreRun = TRUE;
    ::SetEvent(Script().release.Get());
    GetJobDeque().Enqueue(job.get(), 3);
    EXPECT_EQ(job->m_startArgument, 3);
    EXPECT_EQ(job->m_queueArgument, 3);
    EXPECT_EQ(job->m_runState, JOB_BUSY);
    EXPECT_GE(job->m_startTime, before);
    EXPECT_EQ(job->m_errorCount, 0);
    EXPECT_EQ(job->m_entriesFound, 0);
    EXPECT_FALSE(job->m_diskFull);
    EXPECT_FALSE(job->m_destinationLost);
    EXPECT_FALSE(job->m_networkRetry);
    EXPECT_FALSE(job->m_journalFlag) << "a restore run keeps no journal";
    EXPECT_EQ(XmlGetAttributeInt(job->GetElement(), L"complete_status"), 4);
    EXPECT_NE(::GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(m_window->PumpUntil([&] { return m_window->CountEnds() == 1; }));
    EXPECT_EQ(job->m_runState, JOB_IDLE);
    EXPECT_EQ(job->m_startArgument, 0);
    EXPECT_EQ(job->GetJobDef()->GetNeverRun().GetLength(), 19);

    EXPECT_FALSE(job->m_restoreRun) << "the run's end clears the mark";
    GetJobDeque().Enqueue(job.get(), 1);
    EXPECT_TRUE(job->m_journalFlag);
    EXPECT_GT(job->m_destSpaceTotal, 0ull);
    EXPECT_LE(job->m_destSpaceFree, job->m_destSpaceTotal);
    ASSERT_TRUE(m_window->PumpUntil([&] { return m_window->CountEnds() == 2; }));
}

TEST_F(SyncJobTest, LogFileNameKeepsToTheDataFolderWhateverTheJobName)
{
    const struct
    {
        LPCWSTR job;
        LPCWSTR file;
    } cases[] = {
        {L"Weekly", L"Weekly.log"},
        {L"Docs: weekly", L"Docs_ weekly.log"},
        {L"..\\..\\x", L"___.._x.log"},
        {L"a/b*c?\"d<e>f|g\t", L"a_b_c__d_e_f_g_.log"},
        {L".hidden.name", L"_hidden.name.log"},
    };
    for (const auto &entry : cases)
    {
        SCOPED_TRACE(testing::PrintToString(CString(entry.job)));
        auto job = NewJob(entry.job, Dest());
        job->GetLog().LogAt(L"SyncJob", __LINE__, 0, LM_INFO, L"entry");
        const std::wstring expected = m_folder / entry.file;
        EXPECT_EQ(std::wstring(job->GetLog().GetPath()), expected);
        EXPECT_NE(::GetFileAttributesW(expected.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(SyncJobTest, JobKeepsItsRestoreJournalInTheDataFolder)
{
    CString savedDataFolder = g_strDataFolder;
    g_strDataFolder = m_folder.Path().c_str();
    auto job = NewJob(L"Journal", Dest());
    g_strDataFolder = savedDataFolder;
    CRestoreJournal *journal = job->GetRestoreJournal();
    ASSERT_NE(journal, nullptr);
    ASSERT_TRUE(journal->Open(L"Journal", 1));
    EXPECT_TRUE(journal->Append(L"D:\\b\\x.txt", L"C:\\a\\x.txt"));
    EXPECT_TRUE(journal->Close(0));
    EXPECT_EQ(testsupport::ReadFileBytes(m_folder / L"Journal.restore").size(), 60u);
}

TEST_F(SyncJobTest, RunningBitFollowsTheJobListIndexInARealStatusBlock)
{
    CKernelHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, nullptr));
    ASSERT_TRUE(mapping.IsValid());
    CMappedView view(::MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 8));
    ASSERT_TRUE(view.IsValid());
    volatile DWORD *word = static_cast<volatile DWORD *>(view.Get());
    *word = 0x80000000u;

    auto job = NewJob(L"Bit", Dest());
    job->SetRunningFlag(TRUE);
    EXPECT_EQ(*word, 0x80000000u) << "no status block yet";

    m_window->m_statusBlock = mapping.Get();
    job->SetRunningFlag(TRUE);
    EXPECT_EQ(*word, 0x80000000u) << "a job without a list line has no bit";

    m_window->m_jobIndexes[job.get()] = 33;
    job->SetRunningFlag(TRUE);
    EXPECT_EQ(*word, 0x80000002u);
    job->SetRunningFlag(FALSE);
    EXPECT_EQ(*word, 0x80000000u);
    m_window->m_statusBlock = INVALID_HANDLE_VALUE;
}

namespace
{

std::atomic<int> g_connectCalls{0};
std::atomic<DWORD> g_connectAnswer{0};
DWORD FakeConnect(HWND, LPCWSTR unc)
{
    ++g_connectCalls;
    EXPECT_STREQ(unc, L"\\\\nohost\\share\\backup");
    return g_connectAnswer;
}

} // namespace

TEST_F(SyncJobTest, CheckDestinationTriesTheConnectionAndTestsAsItStands)
{
    SeamOverride connect(g_pfnConnectDestination, &FakeConnect);
    auto net = NewJob(L"Net", L"\\\\nohost\\share\\backup\\\\");
    net->GetJobDef()->SetDestNet(1);

    g_connectAnswer = ERROR_CANCELLED;
    g_connectCalls = 0;
    EXPECT_TRUE(net->CheckDestination(3)) << "every prompt dismissed still counts as reachable";
    EXPECT_EQ(g_connectCalls, 3);

    g_connectAnswer = ERROR_BAD_NETPATH;
    g_connectCalls = 0;
    EXPECT_FALSE(net->CheckDestination(3));
    EXPECT_EQ(g_connectCalls, 1);

    g_connectAnswer = NO_ERROR;
    g_connectCalls = 0;
    EXPECT_FALSE(net->CheckDestination(2)) << "connected, but the folder is not there";
    EXPECT_EQ(g_connectCalls, 1);

    g_connectCalls = 0;
    EXPECT_FALSE(net->CheckDestination(0));
    EXPECT_EQ(g_connectCalls, 0);

    net->GetJobDef()->SetDestAgent(1);
    EXPECT_TRUE(net->CheckDestination(0));

    // A destination without a drive identity is tested where it is.
    auto local = NewJob(L"Local", Dest());
    ASSERT_TRUE(local->GetJobDef()->GetUuid().IsEmpty());
    EXPECT_TRUE(local->CheckDestination(1));
    EXPECT_EQ(g_connectCalls, 0);
    EXPECT_TRUE(local->Validate() == FALSE) << "no source exists";
    local->GetJobDef()->AddSourcePath((m_folder.Path() + L"").c_str(), nullptr);
    EXPECT_TRUE(local->Validate());

    // One whose identity no present drive carries is unreachable, and its sources are marked missing.
    XmlSetAttributeString(local->GetElement(), L"uuid", L"0b7c1b52-57a4-4c9b-9f1e-2d4b3a1c0e99");
    local->GetJobDef()->Load();
    EXPECT_FALSE(local->CheckDestination(1));
    EXPECT_EQ(local->GetJobDef()->GetHasSrc(), 0);
    EXPECT_EQ(XmlGetAttributeInt(local->GetElement(), L"hassrc"), 0);
}
