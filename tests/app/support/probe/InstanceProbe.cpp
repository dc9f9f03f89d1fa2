// A stand-in for a start of the main program that only takes the single-instance decision, as start-up does:
//
//     InstanceProbe.exe <result file>
//
// When another instance holds the block, the probe waits for that instance's window, brings it forward, writes
// "second <window>" and ends. Otherwise it makes a window of its own, publishes it as the first instance, writes "first
// <window>" and runs until that window is closed. Window handles are written in decimal.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/start/QordelObjects.h"
#include "platform/windows/WinApp.h"
#include "platform/windows/Wnd.h"

namespace
{

void WriteResult(const wchar_t *path, const std::string &text)
{
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string Line(const char *word, HWND hWnd)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s %ld", word, static_cast<long>(HandleToLong(hWnd)));
    return text;
}

LRESULT CALLBACK ProbeWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc < 2)
        return 2;
    CInstanceChecker checker;
    if (!checker.TakeGuard())
    {
        WriteResult(argv[1], Line("second", checker.ActivatePreviousInstance(TRUE, kFirstWindowWaitMs)));
        return 0;
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &ProbeWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VelbrookInstanceProbe";
    ::RegisterClassW(&windowClass);
    HWND hWnd = ::CreateWindowExW(0, windowClass.lpszClassName, L"Instance probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (hWnd == nullptr)
        return 3;
    // The guard publishes the thread's main window, as the main dialog is for the program.
    CWnd window;
    window.Attach(hWnd);
    AfxGetApp()->m_pMainWnd = &window;
    const BOOL first = checker.TrackFirstInstanceRunning();
    WriteResult(argv[1], Line(first ? "first" : "second", hWnd));

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    AfxGetApp()->m_pMainWnd = nullptr;
    window.Detach();
    return 0;
}
