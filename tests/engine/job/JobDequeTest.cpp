// The run queue with real jobs and test workers: one run at a time in arrival order, a job queued twice, a
// stray end report, and starts that are refused still letting the next job run.
#include "SyncJobTestSupport.h"

#include <gtest/gtest.h>

using namespace syncjobtest;

namespace
{

class JobDequeTest : public JobTest
{
  protected:
    size_t Started()
    {
        std::lock_guard<std::mutex> hold(Script().lock);
        return Script().started.size();
    }
    std::vector<CSyncJob *> StartedJobs()
    {
        std::lock_guard<std::mutex> hold(Script().lock);
        return Script().started;
    }
    void Release()
    {
        ::SetEvent(Script().release.Get());
    }

    JobDeque m_deque;
    FakeMainWindow m_window{&m_deque};
    ScriptedWorkers m_workers;
};

} // namespace

TEST_F(JobDequeTest, SameJobQueuedTwiceWhileWaitingKeepsOneEntryWithTheFirstArgument)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    m_deque.Enqueue(a.get(), 1);
    ASSERT_TRUE(m_window.PumpUntil([&] { return Started() == 1; }));
    EXPECT_EQ(m_deque.GetRunningCount(), 1);

    m_deque.Enqueue(b.get(), 5);
    m_deque.Enqueue(b.get(), 7);
    EXPECT_EQ(m_deque.GetWaitingCount(), 1u);
    EXPECT_EQ(m_deque.GetWaitingJob(0), b.get());
    EXPECT_EQ(b->m_queueArgument, 5);
    EXPECT_EQ(b->m_runState, JOB_BUSY);
    EXPECT_EQ(m_deque.GetRunningCount(), 1) << "a waiting job must not start while another runs";

    Release();
    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 2; }));
    EXPECT_EQ(StartedJobs(), (std::vector<CSyncJob *>{a.get(), b.get()}));
    EXPECT_EQ(b->m_queueArgument, 5);
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
    EXPECT_EQ(m_deque.GetWaitingCount(), 0u);
}

TEST_F(JobDequeTest, RunsThreeJobsFirstInFirstOutOneAtATime)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    auto c = NewJob(L"C", Dest());
    Release();
    m_deque.Enqueue(a.get(), 1);
    m_deque.Enqueue(b.get(), 1);
    m_deque.Enqueue(c.get(), 1);
    EXPECT_EQ(m_deque.GetWaitingCount(), 2u);

    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 3; }));
    EXPECT_EQ(StartedJobs(), (std::vector<CSyncJob *>{a.get(), b.get(), c.get()}));
    std::vector<PostedMessage> ends = m_window.EndMessages();
    for (size_t i = 0; i < ends.size(); ++i)
    {
        EXPECT_EQ(ends[i].message, WM_JOB_FINISHED);
        EXPECT_EQ(ends[i].job, StartedJobs()[i]);
    }
    for (CSyncJob *job : {a.get(), b.get(), c.get()})
        EXPECT_EQ(job->m_runState, JOB_IDLE);
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
}

TEST_F(JobDequeTest, RefusedStartsPostTheirMessageAndTheNextJobStarts)
{
    auto disabled = NewJob(L"Disabled", Dest());
    disabled->Disable();
    auto missing = NewJob(L"Missing", m_folder / L"nowhere\\");
    auto good = NewJob(L"Good", Dest());
    Release();
    m_deque.Enqueue(disabled.get(), 1);
    m_deque.Enqueue(missing.get(), 1);
    m_deque.Enqueue(good.get(), 1);

    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 3; }));
    std::vector<PostedMessage> ends = m_window.EndMessages();
    EXPECT_EQ(ends[0].message, WM_JOB_CANCELLED);
    EXPECT_EQ(ends[0].job, disabled.get());
    EXPECT_EQ(ends[0].lParam, 0);
    EXPECT_EQ(ends[1].message, WM_JOB_FAILED);
    EXPECT_EQ(ends[1].job, missing.get());
    EXPECT_EQ(ends[2].message, WM_JOB_FINISHED);
    EXPECT_EQ(ends[2].job, good.get());
    EXPECT_EQ(StartedJobs(), std::vector<CSyncJob *>{good.get()});
    EXPECT_EQ(m_deque.GetRunningCount(), 0);

    // The end handler's reset leaves the disabled job disabled and still refusing.
    EXPECT_EQ(disabled->m_runState, JOB_DISABLED);
    EXPECT_TRUE(disabled->m_cancelFlag);
    EXPECT_EQ(missing->m_runState, JOB_IDLE);
    EXPECT_EQ(missing->m_startArgument, 0);
    ASSERT_EQ(missing->GetErrorList().GetCount(), 1u);
    CopyErrorItem item;
    missing->GetErrorList().GetItem(0, item);
    EXPECT_EQ(item.text.Find(L"The destination "), 0) << CStringA(item.text).GetString();
    EXPECT_GE(item.text.Find(L"nowhere"), 0);
}

TEST_F(JobDequeTest, StartWithoutAWorkerFailsAndTheNextJobStarts)
{
    auto lonely = NewJob(L"Lonely", Dest());
    auto next = NewJob(L"Next", Dest());
    {
        SeamOverride noWorkers(g_syncJobWorkers, SyncJobWorkers());
        m_deque.Enqueue(lonely.get(), 1);
        m_deque.Enqueue(next.get(), 1);
    }
    Release();

    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 2; }));
    std::vector<PostedMessage> ends = m_window.EndMessages();
    EXPECT_EQ(ends[0].message, WM_JOB_FAILED);
    EXPECT_EQ(ends[0].job, lonely.get());
    EXPECT_EQ(ends[1].message, WM_JOB_FINISHED);
    EXPECT_EQ(ends[1].job, next.get());
    EXPECT_EQ(lonely->m_runState, JOB_IDLE);
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
}

TEST_F(JobDequeTest, StrayEndReportWithNothingRunningLeavesTheQueueUsable)
{
    auto a = NewJob(L"A", Dest());
    m_deque.OnJobFinished(a.get(), false);
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
    EXPECT_EQ(m_deque.GetWaitingCount(), 0u);

    m_deque.OnJobFinished(nullptr, false);
    m_deque.Enqueue(nullptr, 1);
    EXPECT_EQ(m_deque.GetRunningCount(), 0);

    m_deque.Enqueue(a.get(), 1);
    ASSERT_TRUE(m_window.PumpUntil([&] { return Started() == 1; }));
    Release();
    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 1; }));
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
}

TEST_F(JobDequeTest, RemoveTakesOnlyWaitingJobsAndLeavesTheCount)
{
    auto a = NewJob(L"A", Dest());
    auto b = NewJob(L"B", Dest());
    m_deque.Enqueue(a.get(), 1);
    m_deque.Enqueue(b.get(), 1);
    ASSERT_TRUE(m_window.PumpUntil([&] { return Started() == 1; }));

    EXPECT_FALSE(m_deque.Remove(a.get())) << "a running job has no entry";
    EXPECT_TRUE(m_deque.Remove(b.get()));
    EXPECT_FALSE(m_deque.Remove(b.get()));
    EXPECT_EQ(m_deque.GetRunningCount(), 1);
    // The report of a job that only waited does not end the running one.
    m_deque.OnJobFinished(b.get(), true);
    EXPECT_EQ(m_deque.GetRunningCount(), 1);

    Release();
    ASSERT_TRUE(m_window.PumpUntil([&] { return m_window.CountEnds() == 1; }));
    EXPECT_EQ(StartedJobs(), std::vector<CSyncJob *>{a.get()});
    EXPECT_EQ(m_deque.GetRunningCount(), 0);
}
