// Where a file of a job goes, and where the copy it replaces is kept as a revision. Every path is at most
// kMaxPathChars - 1 characters; a builder that cannot stay within that fails.
//
// Target: SplitRevisionPath: the destination, one backslash and the file's part after the root.
//
// Revision of that target (the folder the task runner numbers revisions in, CopyFileWithRevisions):
//   - a two-way job (sync_type 2) whose target lies under the job's "dest", by the target's form (the job's
//     name as one folder name: the log file's rule, MakeLogFileName, and a trailing dot or blank as "_", so
//     "Work/Home" keeps its revisions in "Work_Home"):
//       X:\rest                 X:\Revision\<job name>\rest
//       \\server\share\rest     \\server\share\Revision\<job name>\rest
//       \\server\share          \\server\share\Revision\<job name>\ (a folder)
//     any other form is logged (string 1247) and fails;
//   - otherwise: "dest"\Revision\ and the target's part after "dest"; a target outside "dest" (a change on
//     the destination side copied back to a source) takes the file's part after its root instead, so that its
//     revision stays under the destination at the file's own relative place.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

class CSyncJob;

// destination + the part of file after root, joined by one backslash; root is matched ignoring case and on a
// whole component, with or without trailing backslashes, and a file equal to the root gives the destination
// as it stands. FALSE (target emptied, ERROR_BAD_PATHNAME or ERROR_FILENAME_EXCED_RANGE as the thread's last
// error) when the file is not the root or below it, the destination is empty, or the result does not fit.
BOOL SplitRevisionPath(LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target);

// The target of file (SplitRevisionPath) and, when revision is given, the revision path of that target for the
// job (rules above). FALSE with both emptied and the thread's last error set when a path cannot be made:
// ERROR_BAD_PATHNAME for a path form without a place for revisions (logged) or an empty "dest",
// ERROR_INVALID_NAME for a two-way job without a name, ERROR_FILENAME_EXCED_RANGE for a path that does not fit.
BOOL MakeRevisionPath(CSyncJob &job, LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target,
                      CString *revision);
