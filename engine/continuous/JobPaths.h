// The job path check: what the main window's schedule timer does with the one job it picked on a tick
// (CSyncJobList::GetNextDueJob).
//
//   on change (js_type 0), disabled while watched: the watches of the job's folders go, but a folder that
//       another enabled on-change job of the saved store uses (CSyncJob::CheckPathInStore) stays watched;
//       watch flag 0; nothing is queued.
//   on change otherwise: every folder of the job that is not watched yet is watched (kJobWatchFilter, whole
//       tree, then listed once), for a two-way job (sync_type 2) each destination that exists as well; watch
//       flag 1. A job whose folders were not watched before and that is not running is queued (RunJobNow(job,
//       1)) once it validates, so that one run catches what changed while nothing watched: at the program's
//       start, after the job was enabled, or after its watch ended. A job that has never run is put to idle
//       first. A new job whose first backup the user put off (m_waitForFirstChange) is watched without that run.
//   scheduled (js_type 1 or 2): a job that validates is queued, also one that has never run. A job that is due
//       but cannot run is logged once (CSyncJob::ValidateDueRun).
//
// The job's folders are read from its sources before the watcher is called, which may dispatch messages while
// it waits: no walk of the store spans a watcher call.
#pragma once
#include <windows.h>

#include <vector>

#include "engine/continuous/DirectoryWatch.h"
#include "platform/text/String.h"

class CSyncJob;
class IMainWindowServices;

// The folder watched for a source's "path" or "destination": the path itself, or for a mail store
// ("C:\Mail\Inbox.pst\") the folder that holds it, without a trailing backslash ("C:\Mail").
CString GetWatchedPath(const CString &path);

// The folders the check watches for the job: each source's (GetWatchedPath) and, for a two-way job, each
// destination's, whether it exists or not.
std::vector<CString> GetJobWatchedFolders(CSyncJob &job);

// Watches folder unless the watcher watches it already, so that a folder several jobs use is watched once and
// for every one of them; a new watch's tree is then listed once.
void WatchFolderOnce(IDirectoryWatch &watcher, LPCWSTR folder, CDirectoryChangeHandler *handler);

// The check above; mainWindow queues the job (null: nothing is queued).
void CheckJobPaths(CSyncJob &job, IDirectoryWatch &watcher, CDirectoryChangeHandler *handler,
                   IMainWindowServices *mainWindow);
