#include "engine/support/FakeMainWindow.h"

#include "engine/journal/RestoreJournal.h"
#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"

#include <gtest/gtest.h>

namespace enginetest
{

namespace
{

const wchar_t kWindowClass[] = L"VelbrookTestMainWindow";
const UINT WM_REQUEST_RUN = WM_APP + 14;

bool IsEndMessage(UINT message)
{
    return message == WM_JOB_FINISHED || message == WM_JOB_CANCELLED || message == WM_JOB_FAILED;
}

} // namespace

FakeMainWindow::FakeMainWindow(JobDeque *deque, Kind kind) : m_deque(deque)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &FakeMainWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    // Under Wine a window needs the prefix's desktop process, which starts with the first program that asks
    // for it and ends a while after the last one: a test that starts in that moment is refused (error 1400)
    // until the desktop is up. Without its window the test would wait in vain for every message of a run.
    for (int attempt = 0; m_hWnd == nullptr && attempt < 100; ++attempt)
    {
        if (attempt > 0)
            ::Sleep(100);
        if (kind == Kind::TopLevel)
            m_hWnd = ::CreateWindowExW(0, kWindowClass, L"Main", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
        else
            m_hWnd = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
    }
    if (m_hWnd == nullptr)
        ADD_FAILURE() << "the test's main window could not be made: error " << ::GetLastError();
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_pMainDlg = this;
}

FakeMainWindow::~FakeMainWindow()
{
    g_pMainDlg = nullptr;
    if (m_hWnd != nullptr)
    {
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
}

BOOL FakeMainWindow::GetJobIndex(CSyncJob *job, int &index)
{
    auto found = m_jobIndexes.find(job);
    if (found == m_jobIndexes.end())
        return FALSE;
    index = found->second;
    return TRUE;
}

void FakeMainWindow::SetJobRunning(CSyncJob *job)
{
    job->m_runState = JOB_BUSY;
}

BOOL FakeMainWindow::RunJobNow(CSyncJob *job, int argument)
{
    if (job->GetJobDef()->GetState() == 0)
        return FALSE;
    // Claimed in one step, as the main window claims it: change processing may claim the same job meanwhile.
    if (job->TryClaimRun())
    {
        job->m_startArgument = 1;
        m_deque->Enqueue(job, argument);
    }
    return TRUE;
}

void FakeMainWindow::RequestRun(CSyncJob *job)
{
    ::PostMessageW(m_hWnd, WM_REQUEST_RUN, reinterpret_cast<WPARAM>(job), 0);
}

void FakeMainWindow::OnRunRequest(CSyncJob *job)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_runRequests.push_back(job);
    }
    if (m_jobList != nullptr && m_jobList->Contains(job))
        RunJobNow(job, 1);
}

std::vector<CSyncJob *> FakeMainWindow::RunRequests() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_runRequests;
}

std::vector<PostedMessage> FakeMainWindow::Messages() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_messages;
}

std::vector<PostedMessage> FakeMainWindow::EndMessages() const
{
    std::vector<PostedMessage> ends;
    for (const PostedMessage &message : Messages())
    {
        if (IsEndMessage(message.message))
            ends.push_back(message);
    }
    return ends;
}

bool FakeMainWindow::PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs)
    {
        PumpWaitingMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpWaitingMessages();
    return done();
}

bool FakeMainWindow::WaitForEnds(size_t n, DWORD timeoutMs)
{
    return PumpUntil([this, n] { return CountEnds() >= n; }, timeoutMs);
}

PostedMessage FakeMainWindow::RunQueued(CSyncJob *job)
{
    const size_t before = CountEnds();
    m_deque->Enqueue(job, 1);
    EXPECT_TRUE(WaitForEnds(before + 1));
    const std::vector<PostedMessage> ends = EndMessages();
    return ends.size() > before ? ends[before] : PostedMessage{0, nullptr, 0};
}

std::vector<WPARAM> FakeMainWindow::TakePostedCommands()
{
    std::vector<WPARAM> commands;
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        commands.push_back(msg.wParam);
    return commands;
}

LRESULT CALLBACK FakeMainWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<FakeMainWindow *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_REQUEST_RUN)
    {
        self->OnRunRequest(reinterpret_cast<CSyncJob *>(wParam));
        return 0;
    }
    if (self != nullptr && (IsEndMessage(message) || message == WM_JOB_PROGRESS))
    {
        self->OnJobMessage(message, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

void FakeMainWindow::OnJobMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_messages.push_back(PostedMessage{message, job, lParam});
    }
    if (m_recordOnly || !IsEndMessage(message))
        return;
    m_deque->OnJobFinished(job, message == WM_JOB_CANCELLED && lParam == 1);
    if (job->GetRestoreJournal()->GetMode() != CRestoreJournal::ModeClosed)
        job->GetRestoreJournal()->Close(message == WM_JOB_FINISHED ? 0 : 1);
    job->SetRunningFlag();
    job->OnRunFinished();
}

} // namespace enginetest
