// CWnd: ownership of window handles, creation under the hook, subclassing, destruction, message loops.
#include "platform/windows/Wnd.h"

#include <exception>

#include "platform/system/ExceptionReport.h"
#include "platform/controls/DataExchange.h"
#include "platform/system/Resources.h"
#include "platform/system/Thread.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/WndInternal.h"

namespace afx_internal
{

const wchar_t kSuperProcProperty[] = L"Velbrook.SuperWndProc";

ThreadWindowState &ThreadState()
{
    thread_local ThreadWindowState state;
    return state;
}

CPermanentHandleMap<HWND, CWnd> &WindowMap()
{
    // Never destroyed: windows of static objects may still look themselves up while the program ends.
    static auto *map = new CPermanentHandleMap<HWND, CWnd>;
    return *map;
}

} // namespace afx_internal

using namespace afx_internal;

namespace
{

struct WndHandlePolicy
{
    static void SetHandle(CWnd &wnd, HWND h)
    {
        wnd.m_hWnd = h;
    }
};

bool OnThisThread(HWND hWnd)
{
    return ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId();
}

bool IsImeWindow(HWND hWnd)
{
    wchar_t className[16] = {};
    ::GetClassNameW(hWnd, className, 16);
    return ::lstrcmpiW(className, L"IME") == 0;
}

// Walks from pMsg->hwnd up the parents (owners for pop-ups); *pReachedStop tells whether hWndStop was met.
BOOL WalkTree(HWND hWndStop, MSG *pMsg, bool *pReachedStop)
{
    *pReachedStop = false;
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd))
    {
        // The objects of another thread's windows are that thread's business.
        if (!OnThisThread(hWnd))
            break;
        CWnd *pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == hWndStop)
        {
            *pReachedStop = true;
            break;
        }
    }
    return FALSE;
}

BOOL PreTranslateTree(CWnd *pMainWnd, MSG *pMsg)
{
    if (pMsg == nullptr || pMsg->hwnd == nullptr)
        return FALSE;
    HWND hMain = pMainWnd != nullptr ? pMainWnd->m_hWnd : nullptr;
    bool reachedMain = false;
    if (WalkTree(hMain, pMsg, &reachedMain))
        return TRUE;
    // A window outside the main window's family (a modeless window of its own) still offers the message to
    // the main window, as its accelerators would see it.
    if (!reachedMain && hMain != nullptr && OnThisThread(hMain) && CWnd::FromHandlePermanent(hMain) == pMainWnd)
        return pMainWnd->PreTranslateMessage(pMsg);
    return FALSE;
}

// Messages that come by themselves and do not end an idle period.
bool IsIdleMessage(const MSG &msg)
{
    const UINT WM_SYSTIMER = 0x0118;
    return msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE && msg.message != WM_PAINT &&
           msg.message != WM_SYSTIMER;
}

} // namespace

void afx_internal::InstallPreTranslateTree()
{
    AfxSetPreTranslateTree(&PreTranslateTree);
}

// The creation hook: the first window the thread creates while a CWnd waits for it becomes that CWnd's, before
// the window sees its first message.
LRESULT CALLBACK AfxCbtHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    ThreadWindowState &state = ThreadState();
    if (nCode == HCBT_CREATEWND && state.pWndInit != nullptr)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (!IsImeWindow(hWnd))
        {
            CWnd *pWnd = state.pWndInit;
            state.pWndInit = nullptr;
            try
            {
                pWnd->SubclassWindow(hWnd);
            }
            catch (...)
            {
                AfxReportCurrentException("the window creation hook");
            }
        }
    }
    return ::CallNextHookEx(state.hCbtHook, nCode, wParam, lParam);
}

namespace
{

void HookWindowCreate(CWnd *pWnd)
{
    ThreadWindowState &state = ThreadState();
    if (state.hCbtHook == nullptr)
        state.hCbtHook = ::SetWindowsHookExW(WH_CBT, AfxCbtHookProc, nullptr, ::GetCurrentThreadId());
    ++state.hookDepth;
    state.pWndInit = pWnd;
}

void UnhookWindowCreate()
{
    ThreadWindowState &state = ThreadState();
    state.pWndInit = nullptr;
    if (--state.hookDepth <= 0)
    {
        state.hookDepth = 0;
        if (state.hCbtHook != nullptr)
            ::UnhookWindowsHookEx(state.hCbtHook);
        state.hCbtHook = nullptr;
    }
}

} // namespace

// The creation hook stays armed for exactly one CreateWindowEx/CreateDialog call.
CCreationHook::CCreationHook(CWnd *pWnd)
{
    HookWindowCreate(pWnd);
}

CCreationHook::~CCreationHook()
{
    UnhookWindowCreate();
}

// --- Construction, the maps ---

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_hWndOwner(nullptr), m_nFlags(0), m_nModalResult(-1)
{
}

CWnd::CWnd(HWND hWndConstant)
    : m_hWnd(hWndConstant), m_pfnSuper(nullptr), m_hWndOwner(nullptr), m_nFlags(0), m_nModalResult(-1)
{
}

CWnd::~CWnd()
{
    if (m_hWnd == nullptr || WindowMap().Lookup(m_hWnd) != this)
        return;
    // The derived parts are gone already, so the window's last messages reach only CWnd's own handlers.
    if (::IsWindow(m_hWnd) && OnThisThread(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (m_hWnd != nullptr)
    {
        // Still there (another thread's window, or one attached without subclassing): let go of it.
        if (m_pfnSuper != nullptr && ::IsWindow(m_hWnd))
            UnsubclassWindow();
        else
            Detach();
    }
}

HWND CWnd::GetSafeHwnd() const
{
    const CWnd *self = AfxSafeThis(this);
    return self != nullptr ? self->m_hWnd : nullptr;
}

CWnd *CWnd::FromHandlePermanent(HWND hWnd)
{
    return WindowMap().Lookup(hWnd);
}

CWnd *CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    CWnd *pWnd = WindowMap().Lookup(hWnd);
    if (pWnd != nullptr)
        return pWnd;
    return CTempHandleMap<HWND, CWnd, WndHandlePolicy>::ForThisThread().FromHandle(hWnd);
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (hWndNew == nullptr || m_hWnd != nullptr || !::IsWindow(hWndNew))
        return FALSE;
    if (!WindowMap().Add(hWndNew, this))
        return FALSE;
    m_hWnd = hWndNew;
    InstallPreTranslateTree();
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr)
        WindowMap().Remove(hWnd, this);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC previous =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (previous == nullptr)
    {
        Detach();
        return FALSE;
    }
    // A class whose own procedure is ours falls back to the default procedure.
    m_pfnSuper = previous == &AfxWndProc ? &::DefWindowProcW : previous;
    ::SetPropW(hWnd, kSuperProcProperty, reinterpret_cast<HANDLE>(m_pfnSuper));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd *pParent)
{
    if (pParent == nullptr || pParent->m_hWnd == nullptr)
        return FALSE;
    HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd == nullptr)
        return nullptr;
    if (m_pfnSuper != nullptr)
    {
        // Only while ours is the procedure on top; otherwise the window property keeps the chain working.
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        {
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
            ::RemovePropW(m_hWnd, kSuperProcProperty);
        }
        m_pfnSuper = nullptr;
    }
    return Detach();
}

void CWnd::OnFinalNcDestroy()
{
    HWND hWnd = m_hWnd;
    if (m_pfnSuper != nullptr && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &AfxWndProc)
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(hWnd, kSuperProcProperty);
    m_pfnSuper = nullptr;
    Detach();
    // The end of a thread's main window ends the thread's message loop.
    CWinThread *pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd == this)
    {
        pThread->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();
}

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

// --- Creation and destruction ---

BOOL CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                  UINT nID, CCreateContext *pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT &rect,
                    CWnd *pParentWnd, UINT nID, LPVOID lpParam)
{
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd != nullptr)
    {
        ::SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    CREATESTRUCTW cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = dwStyle;
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;

    HWND hWnd = nullptr;
    DWORD error = 0;
    {
        CCreationHook hook(this);
        hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                 cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
        error = ::GetLastError();
    }
    if (hWnd == nullptr)
    {
        // Whatever the hook attached was let go when the failed window got WM_NCDESTROY.
        ::SetLastError(error != 0 ? error : ERROR_CANNOT_MAKE);
        return FALSE;
    }
    if (m_hWnd == nullptr && !SubclassWindow(hWnd))
    {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow()
{
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return FALSE;
    bool owned = WindowMap().Lookup(hWnd) == this;
    BOOL destroyed = ::DestroyWindow(hWnd);
    if (!destroyed)
        return FALSE;
    // An owning object that went through WM_NCDESTROY has let go already (and may be deleted now); any other
    // (a temporary wrapper, or a window attached without subclassing) lets go here.
    if (!owned || WindowMap().Lookup(hWnd) == this)
        Detach();
    return TRUE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW &cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxDefaultWndClass();
    return TRUE;
}

void CWnd::PreSubclassWindow()
{
}
void CWnd::PostNcDestroy()
{
}

UINT AfxGetModalQuitCount()
{
    return ThreadState().modalQuitCount;
}

LPCWSTR AfxDefaultWndClass()
{
    static const wchar_t kClassName[] = L"VelbrookWnd";
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
    return kClassName;
}

// --- Pre-translation and modal loops ---

BOOL CWnd::PreTranslateMessage(MSG *)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG *pMsg)
{
    if (pMsg == nullptr)
        return FALSE;
    bool reachedStop = false;
    return WalkTree(hWndStop, pMsg, &reachedStop);
}

BOOL afx_internal::PreTranslateForThread(MSG *pMsg)
{
    CWinThread *pThread = AfxGetThread();
    if (pThread != nullptr)
        return pThread->PreTranslateMessage(pMsg);
    return PreTranslateTree(AfxGetMainWnd(), pMsg);
}

BOOL CWnd::ContinueModal()
{
    return (m_nFlags & WF_CONTINUEMODAL) != 0;
}

void CWnd::EndModalLoop(int nResult)
{
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL)
    {
        m_nFlags &= ~WF_CONTINUEMODAL;
        // Wakes the loop if it waits for a message (the call may come from another thread).
        if (m_hWnd != nullptr)
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
}

int CWnd::RunModalLoop(DWORD dwFlags)
{
    m_nFlags |= WF_CONTINUEMODAL | WF_MODALLOOP;
    bool showOnIdle = (dwFlags & MLF_SHOWONIDLE) != 0 && (GetStyle() & WS_VISIBLE) == 0;
    bool idle = true;
    MSG msg;
    while (ContinueModal() && m_hWnd != nullptr)
    {
        while (idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        {
            if (showOnIdle)
            {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            idle = false;
        }
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
        {
            // WM_QUIT ends the modal loop and is passed on to the loop outside.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            ++ThreadState().modalQuitCount;
            if (ContinueModal())
                m_nModalResult = -1;
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslateForThread(&msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (IsIdleMessage(msg))
            idle = true;
    }
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    return m_nModalResult;
}

// --- Data exchange ---

void CWnd::DoDataExchange(CDataExchange *)
{
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    if (m_hWnd == nullptr)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    ThreadWindowState &state = ThreadState();
    // Setting a control's text must not run this window's change handlers meanwhile.
    HWND previousLockout = state.hLockoutNotify;
    state.hLockoutNotify = m_hWnd;
    BOOL ok = FALSE;
    try
    {
        DoDataExchange(&dx);
        ok = TRUE;
    }
    catch (const CDataExchangeFailure &)
    {
        ok = FALSE;
    }
    catch (...)
    {
        state.hLockoutNotify = previousLockout;
        throw;
    }
    state.hLockoutNotify = previousLockout;
    return ok;
}

// --- Owners and message boxes ---

CWnd *CWnd::GetSafeOwner(CWnd *pParent, HWND *pWndTop)
{
    HWND hWnd = pParent != nullptr ? pParent->m_hWnd : nullptr;
    if (hWnd == nullptr)
    {
        CWnd *pMain = AfxGetMainWnd();
        hWnd = pMain != nullptr ? pMain->m_hWnd : nullptr;
    }
    // A pop-up cannot be owned by a child window.
    while (hWnd != nullptr && (::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD) != 0)
        hWnd = ::GetParent(hWnd);
    if (hWnd != nullptr && !::IsWindow(hWnd))
        hWnd = nullptr;
    if (pWndTop != nullptr)
        *pWndTop = hWnd;
    return FromHandle(hWnd);
}

int CWnd::MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption, UINT nType)
{
    if (lpszCaption == nullptr)
        lpszCaption = AfxGetAppName();
    return AfxShowMessageBox(m_hWnd, lpszText, lpszCaption, nType);
}
