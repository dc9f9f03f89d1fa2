#include "app/start/InstanceChecker.h"

#include "app/start/QordelObjects.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"

namespace
{

const DWORD kBlockBytes = sizeof(LONG);
const DWORD kWindowPollMs = 50;

} // namespace

LPCWSTR CInstanceChecker::GetMMFFilename()
{
    return L"CInstanceChecker_MMF_VelbrookTessel";
}

BOOL CInstanceChecker::TakeGuard()
{
    // A new block need not clear the last error: an older "already exists" must not pass for this call's answer.
    ::SetLastError(ERROR_SUCCESS);
    CKernelHandle block(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockBytes, GetMMFFilename()));
    // Read at once: the handle's owner may set another last error.
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (block.IsValid() && existed)
    {
        m_hInstanceData.Attach(block.Detach());
        m_guard = 2;
        return FALSE;
    }
    if (block.IsValid())
        g_hFirstInstanceMapping.Attach(block.Detach());
    m_guard = 1;
    return TRUE;
}

BOOL CInstanceChecker::PreviousInstanceRunning()
{
    m_hInstanceData.Attach(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, GetMMFFilename()));
    return m_hInstanceData.IsValid();
}

HWND CInstanceChecker::ActivatePreviousInstance(BOOL bRestore, DWORD waitMs)
{
    if (!m_hInstanceData.IsValid())
        return nullptr;
    CMappedView view(::MapViewOfFile(m_hInstanceData, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kBlockBytes));
    if (!view.IsValid())
    {
        m_hInstanceData.Close();
        return nullptr;
    }
    const volatile LONG *word = static_cast<const volatile LONG *>(view.Get());
    // The first instance publishes its window only once it has made it, a second or so after it took the guard.
    const DWORD start = ::GetTickCount();
    while (*word == 0 && ::GetTickCount() - start < waitMs)
        ::Sleep(kWindowPollMs);
    CSingleLock lock(&m_instanceDataMutex, TRUE);
    HWND hWnd = static_cast<HWND>(LongToHandle(*word));
    if (hWnd != nullptr)
    {
        HWND hPopup = ::GetLastActivePopup(hWnd);
        if (bRestore)
            ::ShowWindow(hWnd, SW_RESTORE);
        ::SetForegroundWindow(hPopup != nullptr ? hPopup : hWnd);
    }
    view.Close();
    m_hInstanceData.Close();
    return hWnd;
}

BOOL CInstanceChecker::TrackFirstInstanceRunning()
{
    if (m_guard == 0)
        TakeGuard();
    if (m_guard != 1)
        return FALSE;
    if (!g_hFirstInstanceMapping.IsValid())
        return TRUE;
    CMappedView view(::MapViewOfFile(g_hFirstInstanceMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kBlockBytes));
    if (view.IsValid())
    {
        CSingleLock lock(&m_instanceDataMutex, TRUE);
        CWnd *mainWnd = AfxGetMainWnd();
        *static_cast<volatile LONG *>(view.Get()) = HandleToLong(mainWnd != nullptr ? mainWnd->GetSafeHwnd() : nullptr);
    }
    return TRUE;
}
