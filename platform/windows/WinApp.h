// CWinApp: the application object. Exactly one exists (a global of the program); AfxWinMain runs it:
// InitInstance, then the message loop (Run) when that succeeded, else ExitInstance at once.
#pragma once
#include <windows.h>

#include "platform/windows/MessageMap.h"
#include "platform/text/String.h"
#include "platform/system/Thread.h"

class CWinApp : public CWinThread, public CCmdTarget
{
  public:
    // A null name takes the program file's name without its extension.
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName;
    LPCWSTR m_pszExeName;
    // The settings file of the Get/WriteProfile functions (the program's name + ".INI").
    LPCWSTR m_pszProfileName;
    HINSTANCE m_hInstance;
    LPWSTR m_lpCmdLine;
    int m_nCmdShow;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // Drops the thread's temporary window and GDI wrappers while the loop is idle.
    BOOL OnIdle(LONG lCount) override;

    // From the language library when it holds the icon or cursor, else from the program.
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCWSTR lpszResourceName) const;
    HICON LoadStandardIcon(LPCWSTR lpszIconName) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCWSTR lpszCursorName) const;

    UINT GetProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    CString GetProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);

    DECLARE_MESSAGE_MAP()

  private:
    CString m_strAppName;
    CString m_strExeName;
    CString m_strProfileName;
};

CWinApp *AfxGetApp();
LPCWSTR AfxGetAppName();
// The calling thread's main window, else the application's.
CWnd *AfxGetMainWnd();

// Runs the application object; the program's wWinMain (platform/windows/WinMain.cpp) calls it.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
