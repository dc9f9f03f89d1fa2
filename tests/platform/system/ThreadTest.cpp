// Worker threads and message-loop threads of CWinThread.
#include "platform/system/Handles.h"
#include "platform/system/Thread.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace
{

struct Seen
{
    LPVOID param = nullptr;
    CWinThread *current = nullptr;
    DWORD threadId = 0;
};

UINT RecordAndReturn(LPVOID param)
{
    Seen *seen = static_cast<Seen *>(param);
    seen->param = param;
    seen->current = AfxGetThread();
    seen->threadId = GetCurrentThreadId();
    return 42;
}

// Duplicates a thread's handle so that it can be waited on after the thread object closed its own.
CKernelHandle Duplicate(HANDLE handle)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return CKernelHandle(copy);
}

DWORD ExitCodeAfterEnd(HANDLE handle)
{
    EXPECT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(handle, &code));
    return code;
}

// Tells when it is destroyed.
class TrackedThread : public CWinThread
{
  public:
    TrackedThread(AFX_THREADPROC proc, LPVOID param, volatile LONG *destroyed)
        : CWinThread(proc, param), m_destroyed(destroyed)
    {
    }
    ~TrackedThread() override
    {
        InterlockedExchange(m_destroyed, 1);
    }

  private:
    volatile LONG *m_destroyed;
};

UINT Throws(LPVOID)
{
    throw std::runtime_error("failed inside the thread");
}

UINT ThrowsSomethingElse(LPVOID)
{
    throw 7;
}

UINT __attribute__((noinline)) UseStack(int depth)
{
    volatile char block[4096];
    for (size_t i = 0; i < sizeof block; i += 512)
        block[i] = static_cast<char>(depth);
    return depth == 0 ? block[0] + 1u : UseStack(depth - 1) + block[512] - depth + 1u;
}

UINT FillsMostOfSmallStack(LPVOID)
{
    // About 40 KB of the 64 KB.
    return UseStack(9);
}

// A thread with a message loop: quits with code wParam + 2 when it receives WM_APP.
class LoopThread : public CWinThread
{
  public:
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    BOOL initResult = TRUE;
    UINT received = 0;
    LONG idleCalls = 0;

    LoopThread()
    {
        m_bAutoDelete = FALSE;
    }
    ~LoopThread() override
    {
        CloseHandle(ready);
    }

    BOOL InitInstance() override
    {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts
        SetEvent(ready);
        return initResult;
    }
    BOOL PreTranslateMessage(MSG *pMsg) override
    {
        if (pMsg->hwnd == nullptr && pMsg->message == WM_APP)
        {
            received = static_cast<UINT>(pMsg->wParam);
            PostQuitMessage(static_cast<int>(pMsg->wParam) + 2);
            return TRUE;
        }
        return CWinThread::PreTranslateMessage(pMsg);
    }
    BOOL OnIdle(LONG count) override
    {
        ++idleCalls;
        return count < 2; // three calls per idle period
    }
};

} // namespace

TEST(WinThread, WorkerRunsWithItsParameterAndKnowsItsThreadObject)
{
    Seen seen;
    CWinThread *thread = AfxBeginThread(RecordAndReturn, &seen, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_NE(thread->m_nThreadID, 0u);
    EXPECT_EQ(static_cast<HANDLE>(*thread), thread->m_hThread);
    EXPECT_EQ(thread->ResumeThread(), 1u);

    EXPECT_EQ(ExitCodeAfterEnd(thread->m_hThread), 42u);
    EXPECT_EQ(seen.param, &seen);
    EXPECT_EQ(seen.current, thread);
    EXPECT_EQ(seen.threadId, thread->m_nThreadID);
    EXPECT_EQ(AfxGetThread(), nullptr); // the test's own thread was not started through CWinThread
    delete thread;
}

TEST(WinThread, AutoDeleteObjectGoesWithItsThreadAndClosesItsHandle)
{
    volatile LONG destroyed = 0;
    Seen seen;
    TrackedThread *thread = new TrackedThread(RecordAndReturn, &seen, &destroyed);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE own = thread->m_hThread;
    CKernelHandle copy = Duplicate(own);
    ASSERT_TRUE(copy.IsValid());
    thread->ResumeThread();
    EXPECT_EQ(ExitCodeAfterEnd(copy), 42u);
    EXPECT_EQ(destroyed, 1);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(own, &flags));

    // Kept objects outlive their thread with a usable handle.
    destroyed = 0;
    TrackedThread *kept = new TrackedThread(RecordAndReturn, &seen, &destroyed);
    kept->m_bAutoDelete = FALSE;
    ASSERT_TRUE(kept->CreateThread());
    EXPECT_EQ(ExitCodeAfterEnd(kept->m_hThread), 42u);
    EXPECT_EQ(destroyed, 0);
    EXPECT_FALSE(kept->CreateThread()); // one thread per object
    delete kept;
    EXPECT_EQ(destroyed, 1);
}

TEST(WinThread, AutoDeleteThreadStartedAtOnceRuns)
{
    Seen seen;
    CWinThread *thread = AfxBeginThread(RecordAndReturn, &seen);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 1000 && seen.threadId == 0; ++i)
        Sleep(5);
    EXPECT_NE(seen.threadId, 0u);
    EXPECT_EQ(AfxBeginThread(nullptr, &seen), nullptr);
}

TEST(WinThread, SmallStackThreadRuns)
{
    CWinThread *thread =
        AfxBeginThread(FillsMostOfSmallStack, nullptr, THREAD_PRIORITY_NORMAL, 0x10000, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    EXPECT_EQ(ExitCodeAfterEnd(thread->m_hThread), 10u);
    delete thread;
}

TEST(WinThread, ExceptionEndsOnlyItsThread)
{
    for (AFX_THREADPROC proc : {Throws, ThrowsSomethingElse})
    {
        volatile LONG destroyed = 0;
        TrackedThread *thread = new TrackedThread(proc, nullptr, &destroyed);
        ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
        CKernelHandle copy = Duplicate(thread->m_hThread);
        thread->ResumeThread();
        EXPECT_EQ(ExitCodeAfterEnd(copy), static_cast<DWORD>(-1));
        EXPECT_EQ(destroyed, 1); // cleaned up all the same
    }
}

TEST(WinThread, MessageLoopTakesThreadMessagesUntilQuit)
{
    LoopThread thread;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_EQ(WaitForSingleObject(thread.ready, 10000), WAIT_OBJECT_0);
    Sleep(50); // let it go idle
    EXPECT_TRUE(thread.PostThreadMessage(WM_APP, 5, 0));
    EXPECT_EQ(ExitCodeAfterEnd(thread.m_hThread), 7u); // ExitInstance gives the quit code
    EXPECT_EQ(thread.received, 5u);
    EXPECT_EQ(thread.idleCalls % 3, 0);
    EXPECT_GE(thread.idleCalls, 3);
    EXPECT_FALSE(thread.PostThreadMessage(WM_APP, 5, 0)); // no queue any more

    LoopThread refused;
    refused.initResult = FALSE;
    ASSERT_TRUE(refused.CreateThread());
    EXPECT_EQ(ExitCodeAfterEnd(refused.m_hThread), 0u); // no loop ran
}
