// Postrel.dll: the mail library's application object and entry point around the static library "mail".
#include <windows.h>

#include "mail/frame/PostrelApp.h"
#include "mail/frame/Trace.h"

namespace
{

CPostrelApp theApp;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        theApp.m_hInstance = hInstance;
        return theApp.InitInstance();
    case DLL_PROCESS_DETACH:
        theApp.ExitInstance();
        ResetTrace();
        break;
    default:
        break;
    }
    return TRUE;
}
