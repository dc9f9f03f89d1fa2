// What change processing knows of one match while it handles it, and the path tests the steps share.
#pragma once
#include <windows.h>

#include "engine/snapshot/VssCopy.h"
#include "platform/system/XmlDom.h"
#include "platform/text/String.h"

class CSyncJob;
class CJobDef;

struct ChangeMatch
{
    CSyncJob &job;
    CJobDef &def;
    DWORD action;
    CString path;        // for a rename the old path
    CString secondPath;  // the new path of a rename
    CString counterpart; // where the change goes: the path's copy (or its source, for a two-way job's copy)
    CString revision;    // where that copy's revisions are kept; empty when it cannot be made
    VssCopyBatch batch;
    DWORD revisionError = 0;  // why there is no revision path
    bool stillLocked = false; // the file stayed locked: its copy goes to the deferred-copy queue
};

bool PathExists(LPCWSTR path);
bool EndsWithNoCase(const CString &text, LPCWSTR suffix);
// The balloon of a nearly full destination, after a copy to the match's counterpart.
void WarnWhenNearlyFull(ChangeMatch &match);
// The snapshot batch goes now: a copy that comes next would replace or delete what it is to copy. FALSE when
// a record of it could not be copied.
bool HandOverBatch(ChangeMatch &match);
bool IsFolderPath(LPCWSTR path);
// A rename becomes the addition of its new path, with the counterpart and revision path of that name.
void BecomeAdded(ChangeMatch &match);
// An Office save in progress: the document is renamed aside (to a ".tmp" name) while its new copy is written.
bool IsOfficeSaveRename(const ChangeMatch &match);
// A rename becomes the removal of its old path.
void BecomeRemoved(ChangeMatch &match);
// The path's folder (backslash kept) with another last component.
CString SiblingPath(const CString &path, const CString &name);
// The text after the last backslash.
CString LastComponent(const CString &path);

// The job's own filters for a changed file: never-copied names (IsExcludedFile) fail; then, when the job's
// source that covers the path has its filters on ("rapid" not "0"), the extension filters of the job.
bool PassesJobFilters(CSyncJob &job, LPCWSTR path);
// The extension filters alone, as above (a folder name is judged like a file name).
bool PassesExtensionFilters(CSyncJob &job, LPCWSTR path);
// The "src" of the job whose "path", less trailing backslashes, is the path (case ignored); null when none.
IXMLDOMElementPtr MatchSourceNode(CSyncJob &job, LPCWSTR path);
// A file of the program's own, whatever the job: a temporary copy (".~#T" names) or a list file.
bool IsProgramFileName(LPCWSTR path);
// For a two-way job: the path lies in (or is) a "Revision" or "Recycled" folder below one of the job's folders,
// which the program keeps and never carries from one side to the other.
bool IsInProgramFolder(CSyncJob &job, LPCWSTR path);
// The change of path, whose copy goes to counterpart, lies in a folder the job never carries over
// (OwnFolders.h): the program's data folder, the program folder, another job's backup (for a two-way job), or the
// job's own "dest" with the copy going there too (a destination inside its source, which would nest itself).
bool IsInJobOwnFolder(CSyncJob &job, const CString &path, const CString &counterpart);
// The revision path of a file on either side of one of the job's sources, as the two-way pass names it. FALSE
// (revision empty) with the thread's last error when none can be made.
BOOL MakeFileRevisionPath(CSyncJob &job, const CString &file, CString &revision);
// copy is the copy of original: two files of one size whose times are within 5 seconds, or two folders that
// hold the same names (list files and temporary copies aside).
bool IsCopyOf(const CString &copy, const CString &original);

// TRUE when the path lies in a revision folder of the job: it begins (case ignored) with a source's "path" or
// the job's "dest", a backslash and "Revision".
bool IsInRevisionFolder(CSyncJob &job, LPCWSTR path);
