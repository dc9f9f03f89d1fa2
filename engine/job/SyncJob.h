// CSyncJob: one backup job at run time. It binds the job's stored definition (CJobDef) to the run queue, the
// worker thread of a run, the job's log, its copy errors and the main window (IMainWindowServices).
//
// Run state, flags, counters and byte totals are written by the run threads and the copy progress routine
// and read by the main window's timers: they are atomics with relaxed ordering (RelaxedAtomic), which read
// and assign like plain values.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <memory>
#include <vector>

#include "engine/job/CopyErrorList.h"
#include "engine/store/JobDef.h"
#include "engine/log/LogMsg.h"
#include "engine/job/MainWindowServices.h"
#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"
#include "platform/system/Sync.h"
#include "platform/system/XmlDom.h"

class CRestoreJournal;
struct VSSCOPYING;

// A value shared between threads without ordering: every load and store is relaxed.
template <typename T> class RelaxedAtomic
{
  public:
    RelaxedAtomic() noexcept : m_value(T())
    {
    }
    RelaxedAtomic(T value) noexcept : m_value(value)
    {
    }
    RelaxedAtomic(const RelaxedAtomic &) = delete;
    RelaxedAtomic &operator=(const RelaxedAtomic &) = delete;

    operator T() const noexcept
    {
        return m_value.load(std::memory_order_relaxed);
    }
    T Get() const noexcept
    {
        return m_value.load(std::memory_order_relaxed);
    }
    RelaxedAtomic &operator=(T value) noexcept
    {
        m_value.store(value, std::memory_order_relaxed);
        return *this;
    }
    T Exchange(T value) noexcept
    {
        return m_value.exchange(value, std::memory_order_relaxed);
    }
    // Stores desired when the value is expected, in one step; true when it did.
    bool CompareExchange(T expected, T desired) noexcept
    {
        return m_value.compare_exchange_strong(expected, desired, std::memory_order_acq_rel);
    }
    T operator+=(T step) noexcept
    {
        return m_value.fetch_add(step, std::memory_order_relaxed) + step;
    }
    T operator++() noexcept
    {
        return *this += T(1);
    }

    // The plain address, for the platform's copy routines that poll a BOOL through a pointer.
    T *Address() noexcept
    {
        static_assert(sizeof(std::atomic<T>) == sizeof(T) && std::atomic<T>::is_always_lock_free,
                      "the atomic must be laid out as the plain value");
        return reinterpret_cast<T *>(&m_value);
    }

  private:
    std::atomic<T> m_value;
};

// Why the look before a run refused the job's destination (CSyncJob::m_destinationRefused).
constexpr int DEST_REFUSED_NONE = 0;
constexpr int DEST_REFUSED_NOT_OWN_DRIVE = 1; // no drive carries the job's drive identity, or several do
constexpr int DEST_REFUSED_TWO_WAY_PLACE = 2; // a two-way destination that meets the program's places or a backup

// Run states.
constexpr int JOB_IDLE = 0;
constexpr int JOB_BUSY = 1; // queued or running
constexpr int JOB_DISABLED = 2;

// The worker thread procedures of a run. The job is the argument; a worker ends its run by posting
// WM_JOB_FINISHED, WM_JOB_CANCELLED or WM_JOB_FAILED (wParam = the job) to the main window.
typedef unsigned(__stdcall *SyncJobThreadProc)(void *job);
struct SyncJobWorkers
{
    SyncJobThreadProc backup = nullptr;   // runs a job whose sync_type is not 2
    SyncJobThreadProc listFile = nullptr; // runs a job whose sync_type is 2
};
// The workers Start uses: none until the program installs them (InstallBackupRunThread); tests put scripted
// ones in place. Without a worker Start refuses the run and posts WM_JOB_FAILED.
extern Seam<SyncJobWorkers> g_syncJobWorkers;

// The network connection CheckDestination makes: WNetAddConnection3W of a UNC path as a disk resource,
// interactive, without credentials. Returns the system error (0 on success).
typedef DWORD (*DestinationConnectFunction)(HWND owner, LPCWSTR uncPath);
// The system's connection unless a test has put another in place.
extern Seam<DestinationConnectFunction> g_pfnConnectDestination;

class CSyncJob
{
  public:
    CSyncJob();
    // Stops the worker: sets the cancel flag and the stop event, waits up to 5000 ms for each worker and ends
    // it by force only after that; the members go last.
    ~CSyncJob();
    CSyncJob(const CSyncJob &) = delete;
    CSyncJob &operator=(const CSyncJob &) = delete;

    // Binds the job (and its definition, which reads every attribute) to a "jobdef" element and opens the
    // job's log. A null element changes nothing.
    void Attach(IXMLDOMElement *element);
    // Binds the job to a new "jobdef" element (CJobDef::CreateNew: default name, not yet in the tree).
    void AttachNode();
    IXMLDOMElementPtr GetElement() const
    {
        return m_element;
    }

    CJobDef *GetJobDef() const
    {
        return m_jobDef.get();
    }
    CLogMsg &GetLog()
    {
        return m_log;
    }
    CCopyErrorList &GetErrorList()
    {
        return m_errorList;
    }
    // The job's restore journal, in the data folder.
    CRestoreJournal *GetRestoreJournal() const
    {
        return m_restoreJournal.get();
    }

    // Run control (run queue and main window thread).

    // Starts a run with the argument. A start that cannot go ahead still ends with one message to the main
    // window, so that the queue goes on: WM_JOB_CANCELLED (job, 0) when the cancel flag is set, else
    // WM_JOB_FAILED (job, 0) (destination missing, not the job's own drive, a two-way destination where it may
    // not copy, no worker, thread not created). Before it goes ahead the job's destination drive is looked for by
    // its identity (CheckDestinationDrive) and, for a backup, every source's destination is brought under "dest"
    // (KeepDestinationsUnderDest).
    void Start(int argument);
    // A waiting job leaves the queue (run state 0, WM_JOB_CANCELLED (job, 1)). A running job is stopped: the
    // call pumps the caller's messages until its worker has ended; the worker posts its own end message.
    void Cancel();
    // Claims the job for one caller: run state idle to busy in one step. TRUE when this caller got it; FALSE when
    // the job was busy or disabled already, or still waits for the answers of its setup. Every caller that means to
    // run or work on an idle job claims it so.
    BOOL TryClaimRun()
    {
        if (m_awaitingAnswers)
            return FALSE;
        return m_runState.CompareExchange(JOB_IDLE, JOB_BUSY) ? TRUE : FALSE;
    }
    // Cancels a running job, then run state 2 with the cancel flag kept set; stores "state" 0.
    void Disable();
    // Run state 0 unless busy, cancel flag cleared; stores "state" 1.
    void Enable();
    // The end-of-run reset: start argument, percents, status text, cancel flag and run state, and "neverrun"
    // := now. A disabled job stays disabled (a late end message must not enable it).
    void OnRunFinished();

    // Sets or clears the job's bit (its job list index & 31) in the first word of "Tessel_Job_Status".
    void SetRunningFlag(BOOL set = FALSE);

    // While busy: posts WM_JOB_PROGRESS and keeps the text as the status text.
    void PostStatus(LPCWSTR text);
    CString GetStatusText() const;

    // Copy-error entries (only while there is a main window): the text; the system text of the code; the
    // path with the system text of the code.
    void AddStatusError(LPCWSTR text);
    void LogStatus(DWORD code);
    void LogError(DWORD code, LPCWSTR path);

    // The tray balloon that warns of a full destination; show FALSE removes it.
    void ShowBalloon(BOOL show, LPCWSTR path);

    int GetErrorCount() const
    {
        return m_errorCount;
    }
    BOOL AllFilesProcessed() const
    {
        return m_entriesFound == m_filesCopied;
    }
    BOOL IsFirstBackup() const;
    void IncrementBackupCount();

    // 1 for a network-class error, else 0; the result is also stored in the network-retry flag.
    BOOL IsRetryableError(DWORD code);

    // Copying files (run/SyncJobCopyOne.cpp, DestPaths.cpp, SyncJobFolderCopy.cpp, SyncJobSourceDestinations.cpp; see
    // SyncJobCopyOne.h).

    // What a caller of CopyOneFile knows of the target already, from a listing of its folder made just before;
    // what it knows is not looked at again.
    struct KnownTarget
    {
        bool folderExists = false;                  // the target's folder stands: it is neither probed nor made
        bool attributesKnown = false;               // attributes holds what the listing showed
        DWORD attributes = INVALID_FILE_ATTRIBUTES; // INVALID_FILE_ATTRIBUTES: no entry of the target's name
    };
    // Copies the file through a temporary name next to the target, then replaces the target with it. Nonzero
    // when the target now holds the source's data; 0 on failure, with no temporary file left behind.
    BOOL CopyOneFile(LPCWSTR source, LPCWSTR target, const KnownTarget *known = nullptr);
    // After a copy or folder creation at the destination failed with error: TRUE when the destination has gone
    // (the program's own file cannot be found, or, for an error of the drive-gone class, the job's "dest" no
    // longer answers); sets the destination-lost flag, which ends the run. Stays TRUE once set.
    BOOL IsDestinationLost(DWORD error);
    // The fallback copy of a source that could not be copied to its own place: into the destination's
    // "Recycled" folder of its drive letter. 1 when copied or when the source has no such place; 0 after a
    // logged failure or when cancelled.
    BOOL CopyToRecycledFolder(LPCWSTR source);
    // destRoot + computer + "_" + drive letter + "\Recycled\" (made with its parents) + the source's file
    // name; FALSE for a source without a drive letter, a folder that cannot be made (logged) or a path over
    // the limit.
    BOOL GetRecycledPath(LPCWSTR source, LPCWSTR destRoot, CString &out);
    // The source's place under a destination that keeps full paths (one folder per computer and drive, or per
    // server and share). FALSE, logged, for a path form it does not know or a result over the limit.
    BOOL GetDestFolderName(LPCWSTR source, LPCWSTR destRoot, CString &out);
    // destRoot + "\" + the source's last component (colons removed) + "\"; FALSE when it does not fit.
    static BOOL GetPstFolder(LPCWSTR source, LPCWSTR destRoot, CString &out);
    // The job's file filters for the current source: everything is included and nothing excluded while the
    // filters-active byte is 0.
    BOOL IsIncluded(LPCWSTR name) const;
    BOOL IsExcluded(LPCWSTR name) const;
    // Copies a folder tree for a change that created it; 1 when the whole tree was walked, else 0. The last
    // two arguments are only handed on to the subfolders.
    int CopyFolder(LPCWSTR source, LPCWSTR target, LPCWSTR revisionPath, int maxVersions);
    // Writes "destination" of every source element from "dest", "folder2folder" and "retain_full_path".
    void UpdateSourceDestinations();
    // Every source's "destination" that does not lie under "dest" (nor is it) is written anew as
    // UpdateSourceDestinations writes it, with a line in the log; an empty one is left, as the run makes it from
    // "dest". The number written.
    int KeepDestinationsUnderDest();
    // The job's destination drive is under the letter now: "dest" takes it (keeping the drive's identity), and so
    // does every "path" and "destination" of the sources and their files that lay under the old "dest". FALSE
    // for a destination without a drive letter.
    BOOL MoveDestinationToDrive(wchar_t letter);
    // For a job with a drive identity ("uuid") and a local destination, before a run and when a due run is
    // looked at: the drive under the destination's letter must be the one that carries the identity. The job
    // follows its drive to another letter (MoveDestinationToDrive); a drive there without a marker that holds the
    // destination gets the job's marker again. Each is logged. FALSE when no drive carries the identity or several
    // do: no run may start; with report the refusal is logged with the letter and the identity.
    BOOL CheckDestinationDrive(BOOL report);
    // Hands the batch of open-file copies to the snapshot agent once it holds 100 records, unless the job is
    // cancelled, and empties it (snapshot/VssCopy.h).
    void FlushVssCopyBatch(std::vector<VSSCOPYING> &batch);

    // TRUE when the destination can be reached, trying a network connection up to tries times. A destination with
    // a drive identity is reached only on the drive that carries it (IsDestinationDriveOwn).
    BOOL CheckDestination(int tries);
    // TRUE when the destination can be reached and a source exists (or comes through an agent).
    BOOL Validate();
    // Validate for a run the schedule or the watch found due. A job that cannot run is logged with the path that
    // is missing (the destination, else the first source), or with the drive that is not its own, once, and again
    // only after the job has run.
    BOOL ValidateDueRun();
    // 1 when another enabled on-change job of the stored job list uses the path (defined with the store
    // checks of the job collection).
    BOOL CheckPathInStore(LPCWSTR path);

    // The log's path: the data folder (the folder of g_strLogPath), the job name made a file name
    // (MakeLogFileName) and ".log".
    CString GetLogFilePath() const;
    // "ErrorLogPath" of the element; 0 when it already held the path (case ignored), else writes it, 1.
    BOOL SetErrorLogPath(LPCWSTR path);
    CString GetErrorLogPath() const;
    int GetErrorCode() const;
    void SetErrorCode(int code);
    int GetLastRanDay() const;
    void SetLastRanDay(int day);

    // Texts for the job list.
    CString GetScheduleText() const;
    CString GetRevisionText() const;
    // One source path per line, in the order of the "src" and "file" elements.
    CString GetSourceListText() const;
    // String 157 ": " include text; else string 158 ": " exclude text; else empty.
    void GetFilterText(CString &out) const;
    // Name, destination and sources in one line for the job list.
    CString GetSummaryText() const;
    // Writes the summary (name, destination, sources, filters) into the job's log at LM_INFO under string 194,
    // with string headingId as its heading.
    void FormatSummary(UINT headingId);

    // The copy progress routine of every file copy of a job (lpData = the job).
    static DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                                              LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred,
                                              DWORD streamNumber, DWORD callbackReason, HANDLE sourceFile,
                                              HANDLE destinationFile, LPVOID data);
    // The cancel flag as the copy routines poll it.
    LPBOOL GetCancelPointer()
    {
        return m_cancelFlag.Address();
    }

    // The worker's handles, for the run threads and tests; null when none.
    HANDLE GetRunThread() const
    {
        return m_runThread.Get();
    }
    HANDLE GetListFileRunThread() const
    {
        return m_listFileRunThread.Get();
    }
    HANDLE GetStopEvent() const
    {
        return m_stopEvent.m_hObject;
    }

    // Fields shared with the run threads and the main window.
    RelaxedAtomic<int> m_runState;              // JOB_IDLE, JOB_BUSY, JOB_DISABLED
    RelaxedAtomic<int> m_queueArgument;         // the argument the job was queued and started with
    RelaxedAtomic<BOOL> m_cancelFlag;           // stops copies; Start refuses while set
    RelaxedAtomic<BOOL> m_diskFull;             // a copy failed with 112
    RelaxedAtomic<BOOL> m_destinationLost;      // the destination went away during a copy
    RelaxedAtomic<int> m_startArgument;         // 1: started from the main window; the start's argument
    RelaxedAtomic<__int64> m_startTime;         // seconds since 1970 (UTC) of the last start
    RelaxedAtomic<DWORD> m_lastCopyError;       // system error of the last copy step
    RelaxedAtomic<BOOL> m_networkRetry;         // set by IsRetryableError; stops copies while set
    RelaxedAtomic<ULONGLONG> m_bytesTotal;      // of the run, or of the single watched file
    RelaxedAtomic<ULONGLONG> m_bytesDone;       // grows in the progress routine
    RelaxedAtomic<ULONGLONG> m_lastTransferred; // of the current file, already counted
    RelaxedAtomic<ULONGLONG> m_destSpaceFree;   // destination disk at Start (journal flag set)
    RelaxedAtomic<ULONGLONG> m_destSpaceTotal;
    RelaxedAtomic<int> m_errorCount; // failed items of the current run
    RelaxedAtomic<DWORD> m_runThreadId;
    RelaxedAtomic<BOOL> m_fullCopy; // 1: every present target is copied again
    RelaxedAtomic<int> m_entriesFound;
    RelaxedAtomic<int> m_filesCopied;
    RelaxedAtomic<int> m_entriesFiltered;
    RelaxedAtomic<int> m_progressPercent;
    RelaxedAtomic<int> m_secondPercent;
    RelaxedAtomic<BYTE> m_filtersActive; // the current source has include or exclude lists
    RelaxedAtomic<BOOL> m_journalFlag;   // 1 for a backup run, 0 for a restore run
    // The run the job is queued for is a restore: set by the main window as it queues the restore, cleared at
    // the run's end. Start takes the journal flag from it.
    RelaxedAtomic<BOOL> m_restoreRun;
    RelaxedAtomic<int> m_newerKept;       // files a restore left at their places, being newer than their backup copies
    RelaxedAtomic<BOOL> m_watchFlag;      // the job's paths are watched
    RelaxedAtomic<int> m_lastRunMonthDay; // day of the month of the last weekly run
    RelaxedAtomic<BOOL> m_refreshFlag;    // the job's line in the job list must be repainted
    RelaxedAtomic<BYTE> m_firstPass;      // the first pass of a continuous-copy run is under way
    RelaxedAtomic<ULONGLONG> m_destTotalBytes;
    RelaxedAtomic<ULONGLONG> m_destUsedBytes;
    RelaxedAtomic<BOOL> m_defaultJob;     // the job made by the one-click backup
    RelaxedAtomic<__int64> m_createdTime; // stamped at creation and when the wizard finishes
    RelaxedAtomic<BYTE> m_retainFullPathChanged;
    RelaxedAtomic<BOOL> m_notStored;         // made in this session and never saved; the loader clears it
    RelaxedAtomic<BOOL> m_cannotRunLogged;   // a due run that could not run was logged; cleared when a run ends
    RelaxedAtomic<int> m_destinationRefused; // DEST_REFUSED_*: why the last start refused the destination
    // A new job whose overwrite choice and start prompt are not answered yet: nothing runs it, the schedule passes
    // it over and its folders are not watched for it.
    RelaxedAtomic<BOOL> m_awaitingAnswers;
    // An on-change job whose first backup the user put off: its watch begins without the run that catches up.
    RelaxedAtomic<BOOL> m_waitForFirstChange;

    // Borrows: a thread that works with the job outside the collection's list lock takes a borrow under that
    // lock and returns it when done; CSyncJobList::RemoveJob deletes the job only once none is left.
    void AddBorrow()
    {
        m_borrows.fetch_add(1);
    }
    void ReleaseBorrow()
    {
        m_borrows.fetch_sub(1);
    }
    LONG GetBorrowCount() const
    {
        return m_borrows.load();
    }

    // Held by the run threads for the whole of a run.
    CCriticalSection m_runLock;
    // A copy of the program folder, taken at construction.
    CString m_programFolder;

  private:
    static void CloseFinishedThread(CKernelHandle &thread);
    // The drive under the destination's letter carries the job's identity, and no other drive does. Reads the
    // markers only: a drive whose marker was deleted counts once CheckDestinationDrive has marked it again.
    BOOL IsDestinationDriveOwn() const;
    // The two checks of the destination before a run; FALSE (logged, the copy-error list told) refuses it.
    BOOL CheckDestinationBeforeRun(bool backupRun);
    BOOL RefuseDestination(int why, UINT reasonId);
    // What UpdateSourceDestinations writes for a source of the path.
    CString MakeSourceDestination(const CString &path);
    // Validate, filling missing (when given and still empty) with the destination or the first source that
    // cannot be found.
    BOOL CheckRunPaths(CString *missing);
    void RefuseStart(UINT message);
    void AddErrorText(const CString &text);
    CString GetDefAttribute(LPCWSTR name) const;

    IXMLDOMElementPtr m_element;
    std::unique_ptr<CJobDef> m_jobDef;
    CCopyErrorList m_errorList;
    CLogMsg m_log;
    CEvent m_stopEvent; // auto-reset; tells the list-file worker to stop
    CKernelHandle m_runThread;
    CKernelHandle m_listFileRunThread;
    std::unique_ptr<CRestoreJournal> m_restoreJournal;
    mutable CCriticalSection m_statusLock;
    CString m_statusText;
    std::atomic<LONG> m_borrows{0};
};

// Free helpers of the job engine.

// A job name as the name of its log file: every character that cannot stand in a file name (\ / : * ? " < > |
// and control characters) and each "." of a leading run become "_", so that no name leads out of the data
// folder or into a stream. Any other name stays as it is.
CString MakeLogFileName(LPCWSTR jobName);

// The system text of an error code: the language library's message table (neutral language) first, then
// the system's; trailing line breaks cut. Empty when neither has a text.
CString GetSystemErrorText(DWORD code);
// The present local time as "%Y-%m-%d %H:%M:%S".
CString FormatNow();
// A time (seconds since 1970) as local time in a wcsftime pattern; empty for a bad time.
CString FormatTime(__int64 time, LPCWSTR pattern);
// 0 for a letter followed by ":", 1 for a path that begins with two backslashes, -1 otherwise.
int GetPathKind(LPCWSTR path);
// TRUE for "X:" and "X:\" exactly.
BOOL IsDriveLetterPath(LPCWSTR path);
// Dispatches every waiting message except WM_QUIT, which it leaves out of the queue; TRUE when it met one
// (quitCode then holds its exit code).
BOOL PumpWaitingMessages(int *quitCode = nullptr);
// Waits for the handle while dispatching the caller's messages; TRUE when WM_QUIT was met meanwhile.
BOOL WaitPumpingMessages(HANDLE handle, int *quitCode = nullptr);
// Free space query on the path, else its parent folder, else its root. total and used (total - free) of the
// volume; all three 0 when every query failed. The query goes through g_pfnGetDiskFreeSpaceEx.
BOOL GetPathDiskSpace(LPCWSTR path, ULONGLONG &total, ULONGLONG &used, ULONGLONG &free);

// The system calls behind the disk space query and the tray balloon (ShowBalloon), which tests replace:
// GetDiskFreeSpaceExW and Shell_NotifyIconW unless replaced.
using PFN_GET_DISK_FREE_SPACE_EX = BOOL(WINAPI *)(LPCWSTR path, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                                  PULARGE_INTEGER totalFree);
extern Seam<PFN_GET_DISK_FREE_SPACE_EX> g_pfnGetDiskFreeSpaceEx;
using PFN_SHELL_NOTIFY_ICON = BOOL(WINAPI *)(DWORD message, PNOTIFYICONDATAW data);
extern Seam<PFN_SHELL_NOTIFY_ICON> g_pfnShellNotifyIcon;
