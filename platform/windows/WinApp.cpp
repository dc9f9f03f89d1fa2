#include "platform/windows/WinApp.h"

#include <atomic>
#include <exception>

#include "platform/system/ExceptionReport.h"
#include "platform/windows/HandleMap.h"
#include "platform/system/Resources.h"
#include "platform/windows/Wnd.h"
#include "platform/windows/WndInternal.h"

namespace
{

std::atomic<CWinApp *> g_app{nullptr};

// The program's entry point (platform/WinMain.cpp) is asked for by the C runtime only after the linker has
// searched this library; the application object, which every GUI program has, pulls it in.
__attribute__((used)) int(WINAPI *const g_entryPoint)(HINSTANCE, HINSTANCE, LPWSTR, int) = &wWinMain;

} // namespace

CWinApp::CWinApp(LPCWSTR lpszAppName)
    : m_pszAppName(nullptr), m_pszExeName(nullptr), m_pszProfileName(nullptr), m_hInstance(::GetModuleHandleW(nullptr)),
      m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL)
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString modulePath(path, length < MAX_PATH ? static_cast<int>(length) : 0);
    CString fileName = modulePath.Mid(modulePath.ReverseFind(L'\\') + 1);
    int dot = fileName.ReverseFind(L'.');
    m_strExeName = dot >= 0 ? fileName.Left(dot) : fileName;
    m_strAppName = lpszAppName != nullptr ? CString(lpszAppName) : m_strExeName;
    m_strProfileName = m_strExeName + L".INI";
    m_pszAppName = m_strAppName;
    m_pszExeName = m_strExeName;
    m_pszProfileName = m_strProfileName;

    // The application object is built on the main thread before the program starts.
    AttachToCurrentThread();
    afx_internal::InstallPreTranslateTree();
    g_app.store(this);
}

CWinApp::~CWinApp()
{
    CWinApp *self = this;
    g_app.compare_exchange_strong(self, nullptr);
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return CWinThread::ExitInstance();
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    CWinThread::OnIdle(lCount);
    AfxDeleteTempMaps();
    return FALSE;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return LoadIcon(MAKEINTRESOURCEW(nIDResource));
}

HICON CWinApp::LoadIcon(LPCWSTR lpszResourceName) const
{
    if (lpszResourceName == nullptr)
        return nullptr;
    return ::LoadIconW(AfxFindResourceHandle(lpszResourceName, RT_GROUP_ICON), lpszResourceName);
}

HICON CWinApp::LoadStandardIcon(LPCWSTR lpszIconName) const
{
    return ::LoadIconW(nullptr, lpszIconName);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    return ::LoadCursorW(AfxFindResourceHandle(name, RT_GROUP_CURSOR), name);
}

HCURSOR CWinApp::LoadStandardCursor(LPCWSTR lpszCursorName) const
{
    return ::LoadCursorW(nullptr, lpszCursorName);
}

UINT CWinApp::GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault)
{
    return ::GetPrivateProfileIntW(lpszSection, lpszEntry, nDefault, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    wchar_t text[16];
    wsprintfW(text, L"%d", nValue);
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, text, m_pszProfileName);
}

CString CWinApp::GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault)
{
    CString value;
    // The function answers size - 1 when the value did not fit; grow until it does.
    for (DWORD size = 256; size <= 65536; size *= 2)
    {
        LPWSTR buffer = value.GetBuffer(static_cast<int>(size));
        DWORD copied = ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault != nullptr ? lpszDefault : L"",
                                                  buffer, size, m_pszProfileName);
        value.ReleaseBuffer(static_cast<int>(copied < size ? copied : size - 1));
        if (copied < size - 1)
            break;
    }
    return value;
}

BOOL CWinApp::WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp *AfxGetApp()
{
    return g_app.load();
}

LPCWSTR AfxGetAppName()
{
    CWinApp *app = AfxGetApp();
    return app != nullptr ? app->m_pszAppName : nullptr;
}

CWnd *AfxGetMainWnd()
{
    CWinThread *thread = AfxGetThread();
    CWnd *mainWnd = thread != nullptr ? thread->GetMainWnd() : nullptr;
    if (mainWnd != nullptr)
        return mainWnd;
    CWinApp *app = AfxGetApp();
    return app != nullptr ? app->m_pMainWnd : nullptr;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp *app = AfxGetApp();
    if (app == nullptr)
    {
        ::OutputDebugStringW(L"The program has no application object\n");
        return -1;
    }
    app->m_hInstance = hInstance;
    AfxSetInstanceHandle(hInstance);
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;

    bool started = false;
    try
    {
        started = app->InitInstance() != FALSE;
    }
    catch (...)
    {
        AfxReportCurrentException("InitInstance");
    }
    int result = -1;
    try
    {
        if (started)
        {
            result = app->Run();
        }
        else
        {
            if (app->m_pMainWnd != nullptr)
                app->m_pMainWnd->DestroyWindow();
            result = app->ExitInstance();
        }
    }
    catch (...)
    {
        AfxReportCurrentException("the application");
        result = -1;
    }
    return result;
}
