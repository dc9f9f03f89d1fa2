// The rules of the main window's run road that depend only on what they are given: where the view goes when a run
// ends, which end message a finished run gets, the percent the tray program is sent, which job the one-click
// rebuild replaces, and the hold a backup or restore page keeps on its job.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/text/String.h"

class CSyncJob;

// The main window's faces (viewState).
enum MainViewState
{
    VIEW_JOB_LIST = 0,
    VIEW_BACKUP_PAGE = 1,
    VIEW_BACKUP_RUNNING = 2,
    VIEW_RESTORE_PAGE = 3,
    VIEW_RESTORE_RUNNING = 4,
};

// How a run ended, as the main window hears it.
enum class RunEnd
{
    Finished,
    Cancelled,
    Failed,
};

// Where the view goes when a run the window follows ends. updateView: the faces are laid out again; toJobList: the
// window returns to the job list as its close does (a cancelled restore).
struct RunEndView
{
    int viewState;
    bool updateView;
    bool toJobList;
};
// A run ending in state 2 goes back to the backup page; a restore (state 4) back to the restore page, unless it
// was cancelled, which leaves the restore altogether; a failed restore stays on its page without a new layout.
// Other states are left as they are.
RunEndView ViewAfterRunEnd(int viewState, RunEnd end);

// What the end message of a finished run is chosen from.
struct FinishedRunFacts
{
    BOOL cancelled = FALSE;     // the job's cancel flag
    BOOL firstBackup = FALSE;   // the job had never been backed up before
    BOOL allProcessed = FALSE;  // every file found was copied
    int errorCount = 0;         // errors the run counted
    BOOL hasErrorItems = FALSE; // the job holds copy-error items
    int completeStatus = 0;     // the definition's "complete_status"
};
// The string number of the end message: 313 for a cancelled run; 238 for a first backup that processed every file
// it found; 177 for a run without errors; 45100 when errors left copy-error items and the status is 2; else 313.
UINT ChooseFinishedMessage(const FinishedRunFacts &facts);
// The message as the user reads it: in state 4 every occurrence of the backup word (string 369) becomes the
// restore word (string 123).
CString EndMessageText(UINT messageId, int viewState);

// The percent sent to the tray program: done of total, truncated, when the run knows its total; the job's own
// percent figure otherwise.
int TrayPercent(int ownPercent, ULONGLONG totalBytes, ULONGLONG doneBytes);

// The one-click job's destination: the program drive's "Backup Data\<computer>\".
CString DefaultJobDestination(const CString &programDrive, const CString &computerName);
// A job that the one-click rebuild wrote: named after the computer, its destination "Backup Data\<computer>\"
// at the root of any drive (case ignored, the trailing backslash optional).
bool IsDefaultJobDefinition(const CString &name, const CString &dest, const CString &computerName);

// A job as the rebuild sees it.
struct RebuildCandidate
{
    bool madeByRebuild = false; // built by a rebuild of this session
    CString name;
    CString dest;
};
// The job the rebuild replaces (its index), or -1 for none: the selected job when it is a default job, else the
// first default job; a job the user made is never replaced. selected is -1 without a selection.
int PickRebuildTarget(const std::vector<RebuildCandidate> &jobs, int selected, const CString &computerName);

// A backup or restore page holds the job it shows: an enabled, idle job is parked in run state 2, which the
// schedule and change processing leave alone. TRUE when the job was parked (a disabled or busy job is not).
BOOL HoldJobForPage(CSyncJob &job);
// Gives a parked job back: run state 2 becomes idle unless the job has been disabled meanwhile.
void ReleasePageHold(CSyncJob &job);
