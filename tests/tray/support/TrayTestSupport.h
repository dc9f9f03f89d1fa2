// Shared by the tests of the tray program and the starter: drives that hold a recording stand-in of the main
// program, started programs, windows of other processes and the screen.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/system/Handles.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"

namespace traytest
{

// True once condition() holds, polled for up to timeoutMs.
template <typename Condition> bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (const DWORD begin = ::GetTickCount(); !condition(); ::Sleep(50))
    {
        if (::GetTickCount() - begin >= timeoutMs)
            return false;
    }
    return true;
}

// A temporary folder mapped as a drive letter that holds the recording stand-in as
// "Tarnvel Program Files\Tarnvel.exe". Each start of it is recorded as "<arguments>\t<working folder>".
class RecorderDrive
{
  public:
    explicit RecorderDrive(wchar_t letter);
    // Empty when the drive is ready, else what went wrong.
    const std::wstring &Error() const
    {
        return m_error;
    }
    // Puts the build's Starter.exe at the drive's root.
    bool PlaceStarter();
    std::vector<std::wstring> Starts() const;

  private:
    testsupport::TempFolder m_folder;
    std::unique_ptr<enginetest::TestDrive> m_drive;
    std::wstring m_error;
};

// A program started by the test; one still running when the object goes is ended by force.
class StartedProgram
{
  public:
    ~StartedProgram();
    // The command line is the quoted path, a blank and the arguments; an empty folder keeps the test's own.
    bool Start(const std::wstring &path, const std::wstring &arguments = L"", const std::wstring &folder = L"");
    DWORD Id() const
    {
        return m_id;
    }
    // True when the program ended within timeoutMs with the exit code 0.
    bool EndsWithZero(DWORD timeoutMs);
    bool IsRunning() const;

  private:
    CKernelHandle m_process;
    DWORD m_id = 0;
};

// The top-level windows of a class, of one process (0: of any) and only visible ones when asked.
std::vector<HWND> WindowsOf(LPCWSTR className, DWORD processId = 0, bool visibleOnly = false);

// The whole screen as a PNG file.
bool SaveScreenPng(const std::wstring &path);

} // namespace traytest
