// Starter.exe: started by the user from the drive root, it starts the main program from "Tarnvel Program Files"
// (elevated for an administrator), shows nothing and ends at once.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tray/logic/AboutBox.h"
#include "tray/logic/ProgramResourceIds.h"
#include "tray/logic/StarterChoice.h"

namespace
{

const int kResourceTextLength = 100;

HINSTANCE g_instance = nullptr;

// Every message first asks the window to close: the starter ends as soon as its window handles anything.
LRESULT CALLBACK StarterWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    switch (message)
    {
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_PROGRAM_ABOUT)
        {
            ::DialogBoxW(g_instance, MAKEINTRESOURCEW(IDD_PROGRAM_ABOUT), window, &ProgramAboutDlgProc);
            return 0;
        }
        if (LOWORD(wParam) == IDM_PROGRAM_EXIT)
        {
            ::DestroyWindow(window);
            return 0;
        }
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

BOOL RegisterStarterWindowClass(HINSTANCE instance, LPCWSTR className)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &StarterWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_PROGRAM_MENU);
    windowClass.lpszClassName = className;
    return ::RegisterClassExW(&windowClass) != 0;
}

void StartMainProgram()
{
    wchar_t current[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::wstring folder = StarterProgramFolder(current);
    const std::wstring program = StarterProgramPath(current);
    const LPCWSTR verb = ChooseStarterVerb(IsCurrentUserAdmin(), IsWindowsMajorVersion5());
    ::ShellExecuteW(nullptr, verb, program.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    StartMainProgram();

    wchar_t title[kResourceTextLength] = {};
    wchar_t className[kResourceTextLength] = {};
    ::LoadStringW(instance, IDS_PROGRAM_TITLE, title, kResourceTextLength);
    ::LoadStringW(instance, IDS_PROGRAM_CLASS, className, kResourceTextLength);
    g_instance = instance;
    RegisterStarterWindowClass(instance, className);
    HWND window = ::CreateWindowW(className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr)
        return 0;
    ::ShowWindow(window, SW_HIDE);
    ::UpdateWindow(window);

    HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_PROGRAM_ACCELERATORS));
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (accelerators == nullptr || !::TranslateAcceleratorW(msg.hwnd, accelerators, &msg))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
