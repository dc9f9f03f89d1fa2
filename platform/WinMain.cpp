// The entry point of a GUI program (linked with -municode -mwindows): runs the application object. Only
// programs that reference wWinMain pull this file in; test programs have their own main.
#include <windows.h>

#include "platform/WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
