// Threads: CWinThread (worker threads and the base of the application object) and AfxBeginThread.
#pragma once
#include <windows.h>

class CWnd;

typedef UINT(__cdecl *AFX_THREADPROC)(LPVOID);

// One thread of the program. A worker thread runs a thread procedure; without one the thread runs
// InitInstance, then Run (the message loop), then ExitInstance. The application object derives from this
// class and runs the message loop on the main thread without starting a thread of its own.
//
// With m_bAutoDelete (the default) the object deletes itself, closing its thread handle, when its thread
// ends. A caller that wants to wait on the handle creates the thread suspended, clears m_bAutoDelete, resumes
// the thread and deletes the object once the thread has ended.
//
// No exception leaves the thread: one that escapes the procedure is reported through OutputDebugString and
// the thread ends with exit code (DWORD)-1.
class CWinThread
{
  public:
    // A thread object that runs InitInstance/Run once CreateThread starts it (or is the application object).
    CWinThread();
    // A worker thread object for pfnThreadProc(pParam); CreateThread starts it.
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread();
    CWinThread(const CWinThread &) = delete;
    CWinThread &operator=(const CWinThread &) = delete;

    // Starts the thread. dwCreateFlags may hold CREATE_SUSPENDED and STACK_SIZE_PARAM_IS_A_RESERVATION;
    // nStackSize 0 takes the program's default. FALSE when the thread cannot be created (m_hThread stays null).
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

    // The previous suspend count, or (DWORD)-1 on failure (also when no thread was started).
    DWORD ResumeThread();
    DWORD SuspendThread();
    BOOL SetThreadPriority(int nPriority);
    // THREAD_PRIORITY_ERROR_RETURN when no thread was started.
    int GetThreadPriority();
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    operator HANDLE() const
    {
        return m_hThread;
    }

    virtual CWnd *GetMainWnd()
    {
        return m_pMainWnd;
    }

    // Overridables of a thread that runs a message loop.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Takes messages until WM_QUIT, calling OnIdle while the queue is empty; returns ExitInstance's result.
    virtual int Run();
    // TRUE when the message has been handled and must be neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG *pMsg);
    // Takes and dispatches one message; FALSE on WM_QUIT (its exit code is kept in m_msgCur.wParam).
    virtual BOOL PumpMessage();
    // lCount counts the calls since the last message; TRUE asks for more idle calls.
    virtual BOOL OnIdle(LONG lCount);
    // Deletes the object when m_bAutoDelete is set; called when the thread ends.
    virtual void Delete();

    HANDLE m_hThread;
    DWORD m_nThreadID;
    BOOL m_bAutoDelete;
    CWnd *m_pMainWnd;
    // The message being handled by the message loop.
    MSG m_msgCur;

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;

  protected:
    // For the application object: makes this object the current thread's own (AfxGetThread) and sets
    // m_hThread/m_nThreadID to the calling thread without starting one. The handle is not closed later.
    void AttachToCurrentThread();

  private:
    static unsigned __stdcall ThreadEntry(void *pThis);
    void CommonConstruct();

    bool m_bOwnsHandle;
};

// Routine of the window layer that offers a message to the windows from its target window up to the main
// window (the main window included); TRUE when one of them handled it. CWinThread::PreTranslateMessage uses
// it when installed.
typedef BOOL (*AFX_PRETRANSLATE_TREE)(CWnd *pMainWnd, MSG *pMsg);
void AfxSetPreTranslateTree(AFX_PRETRANSLATE_TREE pfnWalk);

// Creates and starts a worker thread running pfnThreadProc(pParam). The thread is always created suspended,
// given the priority and then resumed unless dwCreateFlags holds CREATE_SUSPENDED. Null on failure.
// With auto-delete (the default) the returned object may already be gone when the call returns unless the
// thread was created suspended.
CWinThread *AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// The CWinThread of the calling thread, or null for a thread not started through CWinThread.
CWinThread *AfxGetThread();
