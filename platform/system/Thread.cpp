#include "platform/system/Thread.h"

#include <atomic>
#include <exception>
#include <new>
#include <process.h>

#include "platform/system/ExceptionReport.h"

namespace
{

thread_local CWinThread *t_currentThread = nullptr;
std::atomic<AFX_PRETRANSLATE_TREE> g_preTranslateTree{nullptr};

// Messages after which the loop does not go idle again: they come by themselves and would keep it busy.
bool IsIdleMessage(const MSG &msg, POINT &lastMousePos, UINT &lastMouseMsg)
{
    const UINT WM_SYSTIMER = 0x0118;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE)
    {
        if (msg.message == lastMouseMsg && msg.pt.x == lastMousePos.x && msg.pt.y == lastMousePos.y)
            return false;
        lastMousePos = msg.pt;
        lastMouseMsg = msg.message;
        return true;
    }
    return msg.message != WM_PAINT && msg.message != WM_SYSTIMER;
}

} // namespace

CWinThread::CWinThread()
{
    CommonConstruct();
}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
{
    CommonConstruct();
    m_pfnThreadProc = pfnThreadProc;
    m_pThreadParams = pParam;
}

void CWinThread::CommonConstruct()
{
    m_hThread = nullptr;
    m_nThreadID = 0;
    m_bAutoDelete = TRUE;
    m_pMainWnd = nullptr;
    m_msgCur = MSG();
    m_pfnThreadProc = nullptr;
    m_pThreadParams = nullptr;
    m_bOwnsHandle = false;
}

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr && m_bOwnsHandle)
        ::CloseHandle(m_hThread);
    if (t_currentThread == this)
        t_currentThread = nullptr;
}

void CWinThread::AttachToCurrentThread()
{
    if (m_hThread != nullptr && m_bOwnsHandle)
        ::CloseHandle(m_hThread);
    // A real handle rather than the pseudo handle, which would name whichever thread uses it.
    HANDLE process = ::GetCurrentProcess();
    if (::DuplicateHandle(process, ::GetCurrentThread(), process, &m_hThread, 0, FALSE, DUPLICATE_SAME_ACCESS))
    {
        m_bOwnsHandle = true;
    }
    else
    {
        m_hThread = ::GetCurrentThread();
        m_bOwnsHandle = false;
    }
    m_nThreadID = ::GetCurrentThreadId();
    t_currentThread = this;
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (m_hThread != nullptr)
    {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    // Always suspended first: the members must be set before the thread can run (and, with auto-delete,
    // end and delete this object).
    unsigned threadId = 0;
    uintptr_t started =
        _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                       (dwCreateFlags & STACK_SIZE_PARAM_IS_A_RESERVATION) | CREATE_SUSPENDED, &threadId);
    if (started == 0)
        return FALSE;
    HANDLE thread = reinterpret_cast<HANDLE>(started);
    m_hThread = thread;
    m_nThreadID = threadId;
    m_bOwnsHandle = true;
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        ::ResumeThread(thread); // this object may be gone from here on
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void *pThis)
{
    CWinThread *thread = static_cast<CWinThread *>(pThis);
    t_currentThread = thread;
    unsigned result = static_cast<unsigned>(-1);
    try
    {
        if (thread->m_pfnThreadProc != nullptr)
            result = thread->m_pfnThreadProc(thread->m_pThreadParams);
        else if (!thread->InitInstance())
            result = static_cast<unsigned>(thread->ExitInstance());
        else
            result = static_cast<unsigned>(thread->Run());
    }
    catch (...)
    {
        AfxReportCurrentException("a thread");
        result = static_cast<unsigned>(-1);
    }
    t_currentThread = nullptr;
    try
    {
        thread->Delete();
    }
    catch (...)
    {
        AfxReportCurrentException("the deletion of a thread object");
    }
    return result;
}

DWORD CWinThread::ResumeThread()
{
    return m_hThread != nullptr ? ::ResumeThread(m_hThread) : static_cast<DWORD>(-1);
}

DWORD CWinThread::SuspendThread()
{
    return m_hThread != nullptr ? ::SuspendThread(m_hThread) : static_cast<DWORD>(-1);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return m_hThread != nullptr && ::SetThreadPriority(m_hThread, nPriority);
}

int CWinThread::GetThreadPriority()
{
    return m_hThread != nullptr ? ::GetThreadPriority(m_hThread) : THREAD_PRIORITY_ERROR_RETURN;
}

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_nThreadID != 0 && ::PostThreadMessageW(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance()
{
    return FALSE;
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam);
}

int CWinThread::Run()
{
    bool idle = true;
    LONG idleCount = 0;
    POINT lastMousePos = {-1, -1};
    UINT lastMouseMsg = 0;
    MSG peeked;
    for (;;)
    {
        while (idle && !::PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do
        {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(m_msgCur, lastMousePos, lastMouseMsg))
            {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    BOOL got = ::GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (got == 0)
        return FALSE;
    if (got == -1)
        return TRUE;
    if (!PreTranslateMessage(&m_msgCur))
    {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG *pMsg)
{
    AFX_PRETRANSLATE_TREE walk = g_preTranslateTree.load();
    if (walk == nullptr || pMsg == nullptr || pMsg->hwnd == nullptr)
        return FALSE;
    return walk(GetMainWnd(), pMsg);
}

BOOL CWinThread::OnIdle(LONG)
{
    return FALSE;
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

void AfxSetPreTranslateTree(AFX_PRETRANSLATE_TREE pfnWalk)
{
    g_preTranslateTree.store(pfnWalk);
}

CWinThread *AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pfnThreadProc == nullptr)
    {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    CWinThread *thread = new (std::nothrow) CWinThread(pfnThreadProc, pParam);
    if (thread == nullptr)
    {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs))
    {
        DWORD error = ::GetLastError();
        delete thread;
        ::SetLastError(error);
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
    {
        HANDLE handle = thread->m_hThread;
        ::ResumeThread(handle);
    }
    return thread;
}

CWinThread *AfxGetThread()
{
    return t_currentThread;
}
