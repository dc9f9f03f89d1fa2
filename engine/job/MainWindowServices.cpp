#include "engine/job/MainWindowServices.h"

std::atomic<IMainWindowServices *> g_pMainDlg{nullptr};

HWND GetMainWindowHandle()
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    return mainWindow != nullptr ? mainWindow->GetWindowHandle() : nullptr;
}

BOOL PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = GetMainWindowHandle();
    return hWnd != nullptr && ::PostMessageW(hWnd, message, wParam, lParam);
}
