// Shared by the main program's tests: a drive E: holding a copy of the build's program folder, started programs,
// their windows as other processes see them, the program's log and screenshots.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/system/Handles.h"
#include "support/TestDrive.h"
#include "support/TestSupport.h"
#include "support/ImageSupport.h"

namespace apptest
{

// The folder of the build ("...\build\", with the trailing backslash), where the screenshots go.
std::wstring BuildFolder();
// The folder of this test program, where the helper programs of the tests lie.
std::wstring TestProgramFolder();
// The computer's name as the program reads it.
std::wstring ComputerName();

// What the program folder on the drive leaves out.
enum class ProgramCopy
{
    Whole,
    WithoutLanguageLibrary, // no "ENU\Phrasel.dll"
};

// Where the drive's folder lies.
enum class DrivePlace
{
    Temporary,
    // In the build folder, off drive C:. Under Wine the temporary folder lies under C:\ where the program does not
    // take it for the temporary folder, so a backup of drive C: would take a drive there into itself.
    OffSystemDrive,
};

// A temporary folder mapped as drive E: that holds the build's program folder as "Tarnvel Program Files", as the
// program lies on a user's drive.
class ProgramDrive
{
  public:
    explicit ProgramDrive(ProgramCopy copy = ProgramCopy::Whole, DrivePlace place = DrivePlace::Temporary);
    ProgramDrive(const ProgramDrive &) = delete;
    ProgramDrive &operator=(const ProgramDrive &) = delete;

    // Empty when the drive is ready, else what went wrong.
    const std::wstring &Error() const
    {
        return m_error;
    }
    // "E:\Tarnvel Program Files\Tarnvel.exe"
    std::wstring ProgramPath() const;
    // The drive's folder itself (not through E:), with its trailing backslash.
    const std::wstring &Folder() const
    {
        return m_folder->Path();
    }
    // Folder() + "Backup Data\<computer>\Velbrook Data Backup\"
    std::wstring DataFolder() const;
    // What the program's data folder is called on E: ("E:\Backup Data\<computer>\Velbrook Data Backup\").
    std::wstring DataFolderOnDrive() const;

  private:
    std::unique_ptr<testsupport::TempFolder> m_folder;
    std::unique_ptr<enginetest::TestDrive> m_drive;
    std::wstring m_error;
};

// A program started by the test; one still running when the object goes is ended by force, so that a failed test
// leaves nothing behind.
class StartedProgram
{
  public:
    StartedProgram() = default;
    ~StartedProgram();
    StartedProgram(const StartedProgram &) = delete;
    StartedProgram &operator=(const StartedProgram &) = delete;

    // Starts path with the arguments (the command line is the quoted path, a blank and the arguments); suspended, it
    // waits for Resume before it runs a line of its own.
    bool Start(const std::wstring &path, const std::wstring &arguments = std::wstring(), bool suspended = false);
    bool Resume();
    DWORD Id() const
    {
        return m_id;
    }
    // True when the program ended within timeoutMs; its exit code in code.
    bool WaitForExit(DWORD timeoutMs, DWORD &code);
    bool IsRunning() const;

  private:
    CKernelHandle m_process;
    CKernelHandle m_thread;
    DWORD m_id = 0;
};

// Every top-level window of the class "BrenmarkZELMain", visible or not.
std::vector<HWND> MainWindows();
// The process's visible main window, once it has one; null when none came within timeoutMs or the process ended.
HWND WaitForMainWindow(const StartedProgram &program, DWORD timeoutMs);
// A visible dialog-class window ("#32770") of the process other than except; null when none came within timeoutMs.
HWND WaitForDialog(const StartedProgram &program, HWND except, DWORD timeoutMs);
// True when the window went away or was hidden within timeoutMs.
bool WaitForWindowGone(HWND hWnd, DWORD timeoutMs);
// The text of a window of another process.
std::wstring WindowText(HWND hWnd);

using testsupport::SaveWindowPng;

// The lines of a log file (UTF-16 with a byte-order mark), without their line ends; empty when it cannot be read.
std::vector<std::wstring> LogLines(const std::wstring &path);
// The line without the time that "%D " puts before it ("12/09/2024 01:05:33 PM "); the line as it is without one.
std::wstring WithoutTime(const std::wstring &line);

} // namespace apptest
