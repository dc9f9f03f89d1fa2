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
    CString revision;    // where that copy's revisions are kept
    VssCopyBatch batch;
};

bool PathExists(LPCWSTR path);
bool IsFolderPath(LPCWSTR path);
// A rename becomes the addition of its new path, with the counterpart and revision path of that name.
void BecomeAdded(ChangeMatch &match);
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
// TRUE when the path lies in a revision folder of the job: it begins (case ignored) with a source's "path" or
// the job's "dest", a backslash and "Revision".
bool IsInRevisionFolder(CSyncJob &job, LPCWSTR path);
