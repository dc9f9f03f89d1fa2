// The continuous-copy run: the worker thread of one run of a two-way job (sync_type 2). For each source it
// keeps the source folder and its destination folder in step in both directions, folder pair by folder pair
// down the whole tree, against the list file of each folder (TesselDirText):
//   - a file or folder on one side only is copied (made) to the other, unless both lists name it: then it was
//     removed on the other side since the last pass, and the removal is carried over to what this side holds
//     unchanged since then (RemovalRules.h); what was added or changed since stays and is copied back;
//   - of two copies the newer replaces the older (CompareCopies), which is first kept as a revision
//     (MakeRevisionPath, CopyFileWithRevisions) when the job keeps revisions; a revision that cannot be made
//     leaves the older copy as it is (one error);
//   - every copy over a target goes through the task runner's safe replace (CopyFileViaTemp), and temporary
//     copies (".~#T" names) are never copied or listed: a leftover that nothing holds open is deleted;
//   - a copy that fails because another program holds the file goes to the snapshot batch (VssCopy.h), which
//     copies it from a snapshot once it holds 100 records and at the end of the source.
// During the first run of a job (it has never run: its first-pass byte is set) nothing is deleted.
//
// Folders named "Revision" or "Recycled" (any case), system folders (IsSystemPath), links (reparse points) and entries
// that are exactly directory + system + hidden are never followed; never-copied names (IsExcludedFile) and files the
// source's filters leave out are never copied.
//
// Each failed file is one error the user sees (log entry and copy-error line) and the pass goes on. A cancel,
// a full disk, a destination that went away or a network error ends the run: the run posts exactly one end
// message, never WM_JOB_FAILED:
//   finished            log 264; complete_status 1; WM_JOB_FINISHED, lParam 1 when errors were counted
//   cancelled           log 184; complete_status 4; WM_JOB_CANCELLED, lParam 0
//   failed otherwise    log 264 and why; complete_status 2 when the destination is unreachable over the
//                       network (the destination watch starts the job again), else 4; WM_JOB_FINISHED as above
// complete_status is written before the message goes.
#pragma once
#include <windows.h>

#include "engine/snapshot/VssCopy.h"

class CSyncJob;

// Makes both folders (each with one trailing backslash) when missing, gives the destination folder the source
// folder's attributes unless either is a drive root, and runs the pass. 0 at once for an empty folder (logged,
// one error), a job whose sync_type is not 2 or whose disk is full; 0 when a folder cannot be made (logged, one
// error, unless the destination went away) or when the pass ended the run.
int PrepareDestination(CSyncJob &job, LPCWSTR folderA, LPCWSTR folderB, VssCopyBatch &batch);

// The two-way pass between a source folder and its destination folder (each ending in a backslash), and every
// folder pair below them. keepRevisions: a replaced copy is first kept as a revision. 1 when the pass went
// through (failed files counted and reported), 0 when it ended the run (cancel, full disk, destination gone,
// network error).
int PassAgainstListFile(CSyncJob &job, LPCWSTR folderA, LPCWSTR folderB, VssCopyBatch &batch, BOOL keepRevisions);

// The thread procedure of a continuous-copy run; the argument is the CSyncJob. Returns 0.
unsigned __stdcall ListFileRunThreadProc(void *job);

// Makes ListFileRunThreadProc the worker CSyncJob::Start gives a run whose sync_type is 2 (the backup worker is
// kept). The program calls it once at start-up, before any job runs.
void InstallListFileRunThread();
