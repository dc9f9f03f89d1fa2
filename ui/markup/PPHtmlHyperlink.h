// Running an "href" link of the markup, and the hand cursor shown over links.
//
// A link is first handed to the shell to open. When the shell cannot, the program that opens ".htm" files is
// looked up under the classes root and started with the link on its command line. The three platform calls go
// through seams, so that tests never start a browser.
#pragma once
#include <windows.h>

#include "platform/system/Seam.h"
#include "platform/text/String.h"

using PFN_LINK_SHELL_EXECUTE = HINSTANCE(WINAPI *)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
using PFN_LINK_REG_QUERY_VALUE = LONG(WINAPI *)(HKEY, LPCWSTR, LPWSTR, PLONG);
using PFN_LINK_CREATE_PROCESS = BOOL(WINAPI *)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                               DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// ShellExecuteW, RegQueryValueW and CreateProcessW unless a test has put others in place.
extern Seam<PFN_LINK_SHELL_EXECUTE> g_pfnLinkShellExecute;
extern Seam<PFN_LINK_REG_QUERY_VALUE> g_pfnLinkRegQueryValue;
extern Seam<PFN_LINK_CREATE_PROCESS> g_pfnLinkCreateProcess;

// The command line that opens strUrl with the ".htm" open command strCommand: the command is cut where a quoted
// "%1" begins, else where a bare %1 begins (whole when it has neither), and the program's path (with what came
// before the placeholder) is followed by one blank and the URL.
CString BuildHtmCommand(const CString &strCommand, const CString &strUrl);

// Opens the link (nShowMode as for ShowWindow). Returns the shell's result when it is above 32; else, when the
// ".htm" open command is found, 33 when its program started and a value of 32 or less when it did not; else
// the shell's result.
INT_PTR RunHyperlink(const CString &strUrl, int nShowMode);

// The hand cursor: the system's shared one (never destroyed), or when the system has none a copy of cursor 106
// of the Windows help program, which this object destroys.
class CPPHandCursor
{
  public:
    CPPHandCursor();
    ~CPPHandCursor();
    CPPHandCursor(const CPPHandCursor &) = delete;
    CPPHandCursor &operator=(const CPPHandCursor &) = delete;

    // Lets go of the cursor and loads it again.
    void Reload();
    HCURSOR Get() const
    {
        return m_hCursor;
    }

  private:
    void Free();
    HCURSOR m_hCursor = nullptr;
    bool m_bOwned = false;
};
