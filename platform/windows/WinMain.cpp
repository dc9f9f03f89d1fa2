// The entry point of a GUI program (linked with -municode -mwindows): runs the application object. The
// application object (WinApp.cpp) pulls this file in; a console program that has one too (a test) keeps
// its own main, and this function is never called there.
#include <windows.h>

#include "platform/windows/WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
