// Shared by the tests of the run road: the tray program's window as a recorder, runs scripted in place of the
// backup run thread, and the main dialog over a program drive F: that holds the data folder, the default filter
// set and the one-click job's destination.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/support/FaceTestSupport.h"
#include "app/window/QordelDlg.h"
#include "engine/job/SyncJob.h"
#include "platform/system/Seam.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestDrive.h"

namespace runtest
{

// A window of the tray program's class and title on a thread of its own, which records what it is sent.
class RecordingTray
{
  public:
    RecordingTray();
    ~RecordingTray();
    RecordingTray(const RecordingTray &) = delete;
    RecordingTray &operator=(const RecordingTray &) = delete;

    HWND Window() const
    {
        return m_window;
    }
    // The messages 2180, 2182 and 2183 received so far, with their wParam.
    std::vector<std::pair<UINT, WPARAM>> Messages() const;

  private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE ready);

    std::thread m_thread;
    std::atomic<HWND> m_window{nullptr};
    DWORD m_threadId = 0;
    mutable std::mutex m_lock;
    std::vector<std::pair<UINT, WPARAM>> m_messages;
};

// Waits up to waitMs for every running tray program ("Tarnvel_Tray.exe") to end, then ends those that did not;
// their number.
int EndTrayPrograms(DWORD waitMs);

// Runs that take the backup run thread's place while the object lives: each counts its bytes up in steps, stops
// at the cancel flag (WM_JOB_CANCELLED) and ends with WM_JOB_FINISHED, with one copy error when asked, or fails
// half way (WM_JOB_FAILED) when told to. A backup run writes the job's journal as the run thread does: opened at
// the start, a record per step, left for the window to close at the run's end.
class ScriptedRuns
{
  public:
    ScriptedRuns();
    ~ScriptedRuns();
    ScriptedRuns(const ScriptedRuns &) = delete;
    ScriptedRuns &operator=(const ScriptedRuns &) = delete;

    // Steps of 100 of 1000 bytes each, stepMs apart.
    void SetStepTime(DWORD stepMs);
    // While held, a run that has started waits before its first step until it is let go or cancelled: a run
    // that is surely under way, or one that ends at a moment of the test's choosing.
    void SetHeld(bool held);
    void SetCopyError(bool error);
    void SetFailure(bool failure);
    // The jobs whose runs started, in order.
    std::vector<CSyncJob *> Started() const;

  private:
    static unsigned __stdcall Run(void *job);
    SeamOverride<SyncJobWorkers> m_workers;
};

// The main dialog over a drive F: ("F:\Backup Data\Tester\Velbrook Data Backup\" its data folder, also the
// filter folder with the default filter set; F:\ the system drive and the program drive) and a store written
// before the dialog is made. Message boxes are answered by Answer (default IDOK) and recorded; the shell-execute
// function records what it would start (ShellStarts).
class RunRoadTest : public facetest::FaceTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the store (a "Tessel" document with the given jobdef elements) and makes the dialog.
    void MakeDialog(const std::string &jobdefs);
    // Writes the store file as it is given and makes the dialog.
    void MakeDialogOverStore(const std::string &store);
    // "F:\..." of a path below the drive.
    static std::wstring OnDrive(const std::wstring &relative);
    // The same file through the drive's own folder.
    std::wstring Local(const std::wstring &relative) const;
    // The store file as it is now.
    std::string StoreText() const;
    // Pumps until the condition holds (or timeoutMs passed); records a WM_QUIT met on the way.
    template <typename Done> bool PumpFor(Done done, DWORD timeoutMs)
    {
        const DWORD start = ::GetTickCount();
        while (!done())
        {
            if (::GetTickCount() - start > timeoutMs)
                return done();
            PumpRecordingQuit();
            ::Sleep(10);
        }
        return true;
    }
    void PumpRecordingQuit();
    void Command(UINT id);
    // What the shell-execute function was asked to start: the file, and a blank and the parameters when given.
    static std::vector<std::wstring> ShellStarts();

    testsupport::TempFolder m_driveFolder;
    std::unique_ptr<enginetest::TestDrive> m_drive;
    std::unique_ptr<CQordelDlg> m_dialog;
    std::unique_ptr<ScriptedRuns> m_runs;
    std::vector<UINT> m_boxes;
    int m_answer = IDOK;
    bool m_quitSeen = false;

  private:
    std::vector<CString> m_saved;
    std::unique_ptr<SeamOverride<MessageBoxAnswer>> m_boxHook;
    std::unique_ptr<SeamOverride<ShellExecuteFunction>> m_shellHook;
};

} // namespace runtest
