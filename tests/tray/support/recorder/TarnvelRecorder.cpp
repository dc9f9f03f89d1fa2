// A stand-in "Tarnvel.exe" for the tests of the tray program and the starter: it appends one line to
// "starts.txt" beside itself, its arguments and its working folder separated by a tab, and ends.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR *arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring line;
    for (int i = 1; arguments != nullptr && i < count; ++i)
        line += (i > 1 ? L" " : L"") + std::wstring(arguments[i]);
    ::LocalFree(arguments);
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    line += L"\t" + std::wstring(folder) + L"\r\n";

    wchar_t own[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring record = own;
    record = record.substr(0, record.rfind(L'\\') + 1) + L"starts.txt";
    HANDLE file = ::CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
