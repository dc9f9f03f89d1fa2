// Carrying a removal over between the two sides of a two-way job: the rules the pair reconciliation
// (Reconcile.h) and the pass (ContinuousRun.h) share, so that a removal takes only what the user removed.
//
//   - A file goes only when it was not written after the time its line in its folder's list holds: the later
//     last-write time of the pair when this job last had it in step. A file written since was changed after
//     the job last saw its copy on the other side, and it exists nowhere else: it is kept and copied back.
//   - A folder goes only with what its own list names (and was not written since): an entry its list does not
//     name was added after the last pass and is kept, and so is the folder that holds it; the caller makes the
//     folder on the other side again, so that the folder comes back with what stayed.
//   - Leftover temporary copies (".~#T" names) are the program's own and go with their folder.
//
// A guard, when given, is asked before each file is deleted (it keeps a revision of it). Each file or folder
// deleted writes one line in the job's log (string IDS_LOG_SYNC_DELETED), each file kept because it changed one
// line (IDS_LOG_SYNC_KEPT_CHANGED), and each delete that fails one line (string 443).
#pragma once
#include <windows.h>

#include "engine/continuous/TesselDirText.h"
#include "platform/text/String.h"

class CSyncJob;

class IReplaceGuard;

enum class RemovalOutcome
{
    Deleted,
    Left,   // the guard kept it from going: it stays, and the pair as it is
    Kept,   // written since the last pass: it stays, and is to be copied back
    Failed, // it could not be deleted: it stays, and is to be copied back
};

// The removal of removedPath (gone from its side) carried over to its copy doomed, a file last written at
// doomedWritten, whose folder's list is doomedList (opened by the caller before anything changed it). A guard,
// when given, is asked before the file is deleted.
RemovalOutcome CarryOverFileRemoval(CSyncJob &job, const CString &doomed, const FILETIME &doomedWritten,
                                    const CString &removedPath, const TesselDirText &doomedList,
                                    IReplaceGuard *guard = nullptr);

// The removal of the folder removedFolder carried over to its copy folder (both without a trailing backslash),
// entry by entry down the tree. TRUE when folder went whole; FALSE when some of it stays.
bool CarryOverFolderRemoval(CSyncJob &job, const CString &folder, const CString &removedFolder,
                            IReplaceGuard *guard = nullptr);
