// The task runner: the file operations that continuous copy, change processing and the snapshot batch use to
// put one file into the destination ("SyncTask" in log locations). None raises; each reports by its result.
//
//   CopyFileViaTemp          the safe replace: a copy beside the target under a temporary name, then moved
//                            over it, so that the old target stays whole until the new copy is
//   CopyFileWithRevisions    a copy into the next numbered revision of a target, oldest dropped first
//   RotateRevisions          makes room in a target's revision series and names the next revision
//   MoveFileIntoFolder       a rename in place
//   DeleteFolderTree         a file, or a folder tree that never follows a link
//   CreateDestinationFolder  a target's folder with all its parents
//   ParseLastRunTime         a job's "neverrun" as a local time
//
// Revisions of D:\Backup\Docs\report.txt are D:\Backup\Docs\report(00).txt, report(01).txt ... (format
// "%s%s%s(%02u)%s"), 00 the oldest. Only names of exactly that form (two or more digits, no more leading
// zeros than "%02u" writes) count: "report-old(00).txt" and "report2(03).txt" are other files' revisions.
#pragma once
#include <windows.h>

#include <functional>

#include "platform/system/XmlDom.h"
#include "platform/text/String.h"
#include "platform/text/Time.h"

class CSyncJob;

// Results of the copies.
constexpr int TASK_DONE = 0;          // copied, or nothing to do
constexpr int TASK_PATH_TOO_LONG = 2; // the target does not fit in a path
constexpr int TASK_NO_FOLDER = 3;     // the target's folder could not be made
constexpr int TASK_FAILED = 4;        // failed or skipped; the thread's last error says why
constexpr int TASK_DISK_FULL = 5;

struct CSyncTask
{
    // One deferred copy of the copying queue. Both paths are owned copies; an empty or absent source leaves
    // both null.
    struct FILECOPYING
    {
        FILECOPYING(LPCWSTR sourcePath, LPCWSTR destinationPath);
        ~FILECOPYING();
        FILECOPYING(const FILECOPYING &) = delete;
        FILECOPYING &operator=(const FILECOPYING &) = delete;

        wchar_t *source = nullptr;
        wchar_t *destination = nullptr;
    };
};

// The one safe replace of a file that every copy over a target of continuous copy, change processing, the
// snapshot batch and the deferred-copy queue goes through. The source is copied (with the job's progress
// routine and cancel flag; job may be null) to a temporary name beside the target (the one-file copy's
// ".~#T0" ... ".~#T99" names, a leftover nobody holds open taken over), which gets the old target's
// attributes (read-only aside; a new target keeps the source's), and then moved over the target in one step.
// On any failure or cancel the old target stays whole under its own name and the temporary copy is gone.
// A folder as source is nothing to do. A target that does not fit with its temporary names (kMaxPathChars)
// goes to the job's "Recycled" fallback (TASK_PATH_TOO_LONG). A source that another program holds while the
// target exists is not tried (TASK_FAILED, error 32). A full disk sets the job's disk-full flag and adds a
// copy-error entry. Every failure leaves its error as the thread's last error.
int CopyFileViaTemp(CSyncJob *job, LPCWSTR source, LPCWSTR target);
// The same, and when the copy replaces a target: once the new copy stands whole under its temporary name,
// beforeReplace is asked before the move (the caller keeps the old target as a revision there, so that a copy
// that cannot be made keeps none). false leaves the old target as it was and deletes the temporary copy
// (TASK_FAILED, ERROR_CANCELLED).
int CopyFileViaTemp(CSyncJob *job, LPCWSTR source, LPCWSTR target, const std::function<bool()> &beforeReplace);

// Copies the source into the next revision of target, keeping at most maxVersions revisions (below 0: keeps
// every one, as the unsigned 16-bit count 65535 does). Nothing is done (TASK_DONE) for a folder as source or
// maxVersions 0, nor when the newest revision is already this version (same size, last-write time and bytes):
// a copy that could not replace the file last time kept it then, and a second revision of it would push an
// older version out. A revision that cannot be made is never reported as made: TASK_DISK_FULL for error 112,
// TASK_FAILED for any other failure (a target or revision name of kMaxPathChars characters or more, a folder
// that cannot be made, a revision name whose attributes cannot be read), its error the thread's last error.
int CopyFileWithRevisions(LPCWSTR source, LPCWSTR target, int maxVersions);

// Renumbers the target's revisions 00, 01, ... in their order, closing gaps; when there are maxVersions or
// more, deletes the oldest first so that maxVersions - 1 stay. out receives the first free number's name
// (empty when it does not fit in capacity characters and the terminator). Returns the number of revisions
// found before the rotation. maxVersions as in CopyFileWithRevisions; 0 deletes none.
WORD RotateRevisions(LPCWSTR target, int maxVersions, LPWSTR out, size_t capacity);

// Takes the read-only attribute off a file or folder; the system error of the change (0 when done or not
// needed).
DWORD ClearReadOnly(LPCWSTR path);

// Renames oldPath to the last component of newName in oldPath's own folder, replacing a file of that name.
// out receives the new path. FALSE with the thread's last error on failure.
BOOL MoveFileIntoFolder(LPCWSTR newName, LPCWSTR oldPath, CString &out);

// isFolder 0: deletes one file (read-only or not). isFolder 1: deletes the folder tree. A folder that is a
// link (reparse point), the given one included, is removed as a link and never entered. A system file is
// kept unless it is also hidden, archive, normal or temporary. Each failure is an LM_ERROR entry in the
// job's log (the program's log when job is null). 1 when everything went, else 0.
BOOL DeleteFolderTree(LPCWSTR path, int isFolder, CSyncJob *job);

// Makes the folder of path (the path itself when isFolder is 1, else the part before its last backslash)
// with all missing parents. 1 when it exists afterwards; access denied counts as existing only for a bare
// drive. On 0 the thread's last error says why.
BOOL CreateDestinationFolder(LPCWSTR path, int isFolder);

// The job's last run from its "neverrun": exactly "YYYY-MM-DD hh:mm:ss" with a valid date and time, as local
// time; anything else ("true", empty, a short or broken text) and a null element give the zero time.
void ParseLastRunTime(CTime &out, IXMLDOMElement *element);
