// What the job engine asks of the main window. The main dialog implements this interface; the engine never
// sees the dialog itself, so it builds and is tested without one.
//
// SetJobRunning, UpdateJob, ReportError and RequestRun are called from other threads as well (run threads,
// change processing, the destination watch) and never send to the user-interface thread; the others are
// called on the user-interface thread.
#pragma once
#include <windows.h>

#include <atomic>

#include "platform/text/Collections.h"

class CJobDef;
class CSyncJob;
class CSyncJobList;
namespace Gdiplus
{
class Image;
}

// Messages the engine posts to the main window; wParam is always the CSyncJob*.
constexpr UINT WM_JOB_FINISHED = 0x403;  // lParam 1 when the run counted errors
constexpr UINT WM_JOB_CANCELLED = 0x405; // lParam 1 when the job was taken out of the queue before it ran
constexpr UINT WM_JOB_PROGRESS = 0x406;  // lParam 0
constexpr UINT WM_JOB_FAILED = 0x466;    // lParam 0; also a start that could not go ahead

// View modes of the main window: the backup views keep a restore journal during a run.
constexpr int MAIN_MODE_BACKUP_IDLE = 1;
constexpr int MAIN_MODE_BACKUP_RUNNING = 2;
constexpr int MAIN_MODE_RESTORE_IDLE = 3;
constexpr int MAIN_MODE_RESTORE_RUNNING = 4;

class IMainWindowServices
{
  public:
    // The window that receives the end-of-run and progress messages (null while it has none).
    virtual HWND GetWindowHandle() const = 0;
    // The job collection the window holds.
    virtual CSyncJobList *GetJobList() = 0;
    // The file mapping "Tessel_Job_Status"; INVALID_HANDLE_VALUE (or null) when it could not be made.
    virtual HANDLE GetStatusBlockHandle() const = 0;
    // One of the MAIN_MODE_ values.
    virtual int GetMode() const = 0;
    virtual void SetMode(int mode) = 0;
    // TRUE when the job has a line in the job list, with its zero-based index in index.
    virtual BOOL GetJobIndex(CSyncJob *job, int &index) = 0;
    // Marks the job busy (run state 1).
    virtual void SetJobRunning(CSyncJob *job) = 0;
    // Queues an enabled, idle job with the argument; nonzero when the job is enabled.
    virtual BOOL RunJobNow(CSyncJob *job, int argument) = 0;
    // From any thread: posts a private message to the window, whose handler calls RunJobNow(job, 1) while the
    // job is still in the job collection (GetJobList()->Contains(job)).
    virtual void RequestRun(CSyncJob *job) = 0;
    // Logs the calling thread's last system error for the job.
    virtual void ReportError(CSyncJob *job, int reserved, int show) = 0;
    // Repaints the job's line in the job list.
    virtual void UpdateJob(CJobDef *jobDef) = 0;
    // Gives a job that has just joined the collection its line in the job list (user-interface thread).
    virtual void JobListInsert(CSyncJob *job) = 0;
    // The paths handed over with "--create" or "--select", in order (folders end with one backslash): job
    // creation and the job selection dialog read them, and empty the list when they refuse one (user-interface
    // thread).
    virtual CStringArray &GetPendingSources() = 0;
    // The window's run command; stops a running backup or restore.
    virtual void OnRunJobs() = 0;
    // The job the progress window shows: the first of the running jobs; null when none runs.
    virtual CSyncJob *GetRunningJob() = 0;
    // The progress window's shown flag: the main window sets it when it shows that window, which clears it
    // when it is closed by OK or Cancel.
    virtual void SetProgressShown(BOOL shown) = 0;
    // The image strip of the window's own close button (not owned); may be null or not loaded.
    virtual Gdiplus::Image *GetCloseImage() = 0;
    // 1 when a restore goes into a folder of the user's choice rather than back where the files came from.
    virtual int GetRestoreToOtherFolder() const = 0;
    // Set: the backup page edits the data folder's default filter file rather than the job's own one.
    virtual BOOL GetUseBasicFilter() const = 0;
    // The free bytes of the program's drive, the room a backup to the drive has; 0 when they cannot be read.
    virtual ULONGLONG GetProgramDriveCapacity() const = 0;
    // How a proposed destination folder of the job meets the sources (user-interface thread): 1 when it is one of
    // the job's own sources, 2 when it lies inside one or holds one, 3 when it lies inside a source of another job
    // (or holds one while neither job keeps full paths), -1 when it clashes with none.
    virtual int FindJobByPath(CSyncJob *job, LPCWSTR path) = 0;

  protected:
    IMainWindowServices() = default;
    ~IMainWindowServices() = default;
    IMainWindowServices(const IMainWindowServices &) = delete;
    IMainWindowServices &operator=(const IMainWindowServices &) = delete;
};

// The main window; null until the dialog sets it, and cleared first thing in the dialog's destructor. Read it
// at each use: a job may well outlive one main window or be built before it.
extern std::atomic<IMainWindowServices *> g_pMainDlg;

// The main window's handle, or null when there is no main window (or it has no window).
HWND GetMainWindowHandle();
// Posts to the main window as it is now; FALSE when there is none or the post failed.
BOOL PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam);
