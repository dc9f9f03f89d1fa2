// Holds the Wine prefix's desktop open while the tests run. Wine starts the desktop process with the first
// program that needs a window and ends it a while after the last one; programs that start while it comes up
// are refused their windows (error 1400) and a run test then waits in vain for its messages. ./test.sh starts
// this program before the tests and ends it with the prefix: it makes one window, tells the script by creating
// the file named on its command line, and waits.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VelbrookDesktopKeeper";
    ::RegisterClassW(&windowClass);
    HWND window = nullptr;
    for (int attempt = 0; window == nullptr && attempt < 1200; ++attempt)
    {
        if (attempt > 0)
            ::Sleep(100);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                                   nullptr);
    }
    if (window == nullptr)
        return 1;
    if (commandLine != nullptr && *commandLine != L'\0')
    {
        HANDLE ready =
            ::CreateFileW(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (ready != INVALID_HANDLE_VALUE)
            ::CloseHandle(ready);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&message);
    return 0;
}
