// Removal from autostart: at its end the tray program starts a copy of itself from the common folder, which waits
// until the tray program has gone and then deletes it from the Startup folder. The copy's own file goes when the
// last handle to it closes: the ending tray program holds it open for deletion on close.
#include <windows.h>

#include <vector>

#include "platform/system/Handles.h"
#include "tray/logic/TrayPlaces.h"
#include "tray/logic/TrayRemoval.h"
#include "tray/program/TrayProgram.h"

namespace
{

void RelaunchToRemoveFromStartup()
{
    const std::wstring copy = RemovalCopyPath();
    wchar_t own[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    if (copy.empty() || length == 0 || length >= MAX_PATH)
        return;
    ::CopyFileW(own, copy.c_str(), FALSE);
    CKernelHandle file(
        ::CreateFileW(copy.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    // The copy checks that the number it is given is a process before it waits on it, hence the query right.
    CKernelHandle self(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, ::GetCurrentProcessId()));
    if (!self.IsValid())
        return;
    const std::wstring commandLine = BuildRemovalCommandLine(copy, self);
    if (commandLine.empty())
        return;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (::CreateProcessW(copy.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
    {
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
    }
}

} // namespace

int RunRemovalMode(LPCWSTR arguments)
{
    HANDLE process = nullptr;
    // A number that is no process handle of this program's (an event of its own, say) is never waited on: that
    // wait could last for ever.
    if (!ParseRemovalHandle(arguments, process) || ::GetProcessId(process) == 0 ||
        ::GetProcessId(process) == ::GetCurrentProcessId())
        return 0;
    if (::WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0)
        return 0;
    ::CloseHandle(process);
    const std::wstring startup = StartupCopyPath();
    if (!startup.empty())
        ::DeleteFileW(startup.c_str());
    return 0;
}

void OnExitRemoveFromStartup()
{
    if (g_removalRequested)
        RelaunchToRemoveFromStartup();
}
