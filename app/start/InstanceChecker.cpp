#include "app/start/InstanceChecker.h"

#include "app/start/QordelObjects.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"

namespace
{

const DWORD kBlockBytes = sizeof(LONG);

} // namespace

LPCWSTR CInstanceChecker::GetMMFFilename()
{
    return L"CInstanceChecker_MMF_VelbrookTessel";
}

BOOL CInstanceChecker::PreviousInstanceRunning()
{
    m_hInstanceData.Attach(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, GetMMFFilename()));
    return m_hInstanceData.IsValid();
}

HWND CInstanceChecker::ActivatePreviousInstance(BOOL bRestore)
{
    if (!m_hInstanceData.IsValid())
        return nullptr;
    CMappedView view(::MapViewOfFile(m_hInstanceData, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kBlockBytes));
    if (!view.IsValid())
    {
        m_hInstanceData.Close();
        return nullptr;
    }
    CSingleLock lock(&m_instanceDataMutex, TRUE);
    HWND hWnd = static_cast<HWND>(LongToHandle(*static_cast<const volatile LONG *>(view.Get())));
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
    m_hInstanceData.Attach(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, GetMMFFilename()));
    if (m_hInstanceData.IsValid())
        return FALSE;
    // Two instances started at the same moment can both get here; the second then opens the first's block and
    // writes its own window over it.
    g_hFirstInstanceMapping.Attach(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockBytes, GetMMFFilename()));
    if (g_hFirstInstanceMapping.IsValid())
    {
        CMappedView view(::MapViewOfFile(g_hFirstInstanceMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kBlockBytes));
        if (view.IsValid())
        {
            CSingleLock lock(&m_instanceDataMutex, TRUE);
            CWnd *mainWnd = AfxGetMainWnd();
            *static_cast<volatile LONG *>(view.Get()) =
                HandleToLong(mainWnd != nullptr ? mainWnd->GetSafeHwnd() : nullptr);
        }
    }
    return TRUE;
}
