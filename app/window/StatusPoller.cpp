#include "app/window/StatusPoller.h"

#include <algorithm>

#include "engine/store/SyncJobList.h"

const wchar_t kJobStatusBlockName[] = L"Tessel_Job_Status";

Seam<TerminatePollerFunction> g_pfnTerminatePoller{&::TerminateThread};

namespace
{

const int kCreateTries = 5;
const DWORD kCreateRetryMs = 50;
const int kMapTries = 3;
const DWORD kMapRetryMs = 20;
const DWORD kSendTimeoutMs = 5000;
const DWORD kStopWaitMs = 6000;
const DWORD kAfterTerminateMs = 100;

} // namespace

// --- CJobStatusPoller ---

bool CJobStatusPoller::Pass(IJobStatusSource &source)
{
    DWORD bits = 0;
    if (!source.ReadRunningBits(bits))
        return true;
    // Read once per pass; the bits cover the first 32 cards only.
    const int count = std::min(source.GetJobCount(), kJobStatusSlots);
    for (int i = 0; i < count; ++i)
    {
        const DWORD mask = 1u << i;
        if ((bits & mask) != 0 && !m_reported[i])
        {
            if (!source.HasWindow())
                return false;
            if (source.SendStatus(i, 0) == 1)
                m_reported[i] = true;
        }
        else if (m_reported[i] && (bits & mask) == 0)
        {
            if (source.Wait(kEndDelayMs) || !source.HasWindow())
                return false;
            if (source.SendStatus(i, 1) == 1)
                m_reported[i] = false;
        }
    }
    return true;
}

DWORD CJobStatusPoller::Run(IJobStatusSource &source)
{
    std::fill(std::begin(m_reported), std::end(m_reported), false);
    if (source.Wait(kFirstWaitMs))
        return 0;
    while (Pass(source))
    {
        if (source.Wait(kPassWaitMs))
            break;
    }
    return 0;
}

// --- CJobStatusBlock ---

CJobStatusBlock::~CJobStatusBlock()
{
    Stop();
}

BOOL CJobStatusBlock::Start(CSyncJobList *jobs)
{
    m_pJobs = jobs;
    for (int attempt = 0; attempt < kCreateTries && !m_mapping.IsValid(); ++attempt)
    {
        m_mapping.Attach(
            ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, kJobStatusBlockName));
        if (!m_mapping.IsValid())
            ::Sleep(kCreateRetryMs);
    }
    if (!m_mapping.IsValid())
        return FALSE;
    m_published.store(m_mapping.Get());
    m_stop.ResetEvent();
    for (int attempt = 0; attempt < 2 && !m_thread.IsValid(); ++attempt)
        m_thread.Attach(::CreateThread(nullptr, 0, &CJobStatusBlock::ThreadProc, this, 0, nullptr));
    return TRUE;
}

void CJobStatusBlock::SetWindow(HWND window)
{
    m_window.store(window);
}

void CJobStatusBlock::Stop()
{
    if (m_thread.IsValid())
    {
        m_stop.SetEvent();
        // The poller may be inside a send to this very thread: its messages are handled while we wait.
        const DWORD start = ::GetTickCount();
        bool ended = false;
        for (;;)
        {
            const DWORD elapsed = ::GetTickCount() - start;
            if (elapsed >= kStopWaitMs)
                break;
            HANDLE thread = m_thread.Get();
            const DWORD result = ::MsgWaitForMultipleObjects(1, &thread, FALSE, kStopWaitMs - elapsed, QS_SENDMESSAGE);
            if (result == WAIT_OBJECT_0)
            {
                ended = true;
                break;
            }
            if (result != WAIT_OBJECT_0 + 1)
                break;
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        if (!ended)
        {
            g_pfnTerminatePoller(m_thread.Get(), 0);
            ::Sleep(kAfterTerminateMs);
        }
        m_thread.Close();
    }
    m_published.store(INVALID_HANDLE_VALUE);
    m_mapping.Close();
}

HANDLE CJobStatusBlock::GetBlock() const
{
    return m_published.load();
}

DWORD WINAPI CJobStatusBlock::ThreadProc(LPVOID block)
{
    CJobStatusBlock *self = static_cast<CJobStatusBlock *>(block);
    return self->m_poller.Run(*self);
}

bool CJobStatusBlock::ReadRunningBits(DWORD &bits)
{
    HANDLE mapping = m_published.load();
    if (mapping == INVALID_HANDLE_VALUE || mapping == nullptr)
        return false;
    for (int attempt = 0; attempt < kMapTries; ++attempt)
    {
        if (attempt > 0)
            ::Sleep(kMapRetryMs);
        CMappedView view(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 8));
        if (view.IsValid())
        {
            bits = *static_cast<const volatile DWORD *>(view.Get());
            return true;
        }
    }
    return false;
}

int CJobStatusBlock::GetJobCount()
{
    if (m_pJobs == nullptr)
        return 0;
    CSyncJobList::ListLock hold(*m_pJobs);
    return static_cast<int>(m_pJobs->GetCount());
}

bool CJobStatusBlock::HasWindow()
{
    HWND window = m_window.load();
    return window != nullptr && ::IsWindow(window);
}

LRESULT CJobStatusBlock::SendStatus(int index, LPARAM state)
{
    HWND window = m_window.load();
    DWORD_PTR reply = 0;
    if (window == nullptr || !::SendMessageTimeoutW(window, WM_JOB_STATUS, static_cast<WPARAM>(index), state,
                                                    SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &reply))
        return 0;
    return static_cast<LRESULT>(reply);
}

bool CJobStatusBlock::Wait(DWORD milliseconds)
{
    return ::WaitForSingleObject(m_stop, milliseconds) == WAIT_OBJECT_0;
}
