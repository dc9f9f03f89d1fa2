// Targets and revision paths of the files a job copies.
#include "engine/continuous/RevisionPath.h"

#include "engine/job/SyncJob.h"
#include "engine/run/DestPaths.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

BOOL Fail(DWORD error)
{
    ::SetLastError(error);
    return FALSE;
}

// The job's name as one folder name: the log file's rule (MakeLogFileName) for the characters a file name
// cannot hold and for leading dots, and a trailing dot or blank, which Windows would drop, made "_" too.
CString RevisionFolderName(const CString &jobName)
{
    CString name = MakeLogFileName(jobName);
    for (int i = name.GetLength() - 1; i >= 0 && (name[i] == L'.' || name[i] == L' '); --i)
        name.SetAt(i, L'_');
    return name;
}

// The revision of a two-way job's target under its "dest", by the target's form.
BOOL MakeTwoWayRevision(CSyncJob &job, const CString &target, const CString &jobName, CString &revision)
{
    if (GetPathKind(target) == 0)
    {
        revision.Format(L"%c:\\Revision\\%s%s", target[0], jobName.GetString(), target.Mid(2).GetString());
        return TRUE;
    }
    if (GetPathKind(target) == 1)
    {
        // The root of a network path is its share: a folder directly under the server is no share.
        const int serverEnd = target.Find(L'\\', 2);
        if (serverEnd > 2 && serverEnd + 1 < target.GetLength() && target[serverEnd + 1] != L'\\')
        {
            const int shareEnd = target.Find(L'\\', serverEnd + 1);
            if (shareEnd < 0)
                revision.Format(L"%s\\Revision\\%s\\", target.GetString(), jobName.GetString());
            else
                revision.Format(L"%s\\Revision\\%s%s", target.Left(shareEnd).GetString(), jobName.GetString(),
                                target.Mid(shareEnd).GetString());
            return TRUE;
        }
    }
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_BAD_PATHNAME, LM_ERROR, IDS_LOG_SOURCE_FORM, target.GetString());
    return Fail(ERROR_BAD_PATHNAME);
}

} // namespace

BOOL SplitRevisionPath(LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target)
{
    target.Empty();
    if (file == nullptr || root == nullptr || destination == nullptr || *destination == L'\0')
        return Fail(ERROR_BAD_PATHNAME);
    const CString path(file);
    const CString base = CutTrailingBackslashes(root);
    CString result;
    if (!base.IsEmpty() && CutTrailingBackslashes(path).CompareNoCase(base) == 0)
        result = destination;
    else if (!base.IsEmpty() && CSyncJobList::IsPathBelow(base, path))
        result = JoinDestRoot(destination) + PathBelow(path, base);
    else
        return Fail(ERROR_BAD_PATHNAME);
    if (result.GetLength() >= kMaxPathChars)
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    target = result;
    return TRUE;
}

BOOL MakeRevisionPath(CSyncJob &job, LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target,
                      CString *revision)
{
    if (revision != nullptr)
        revision->Empty();
    if (!SplitRevisionPath(file, root, destination, target))
        return FALSE;
    if (revision == nullptr)
        return TRUE;

    CJobDef *def = job.GetJobDef();
    const CString dest = def->GetDest();
    const bool underDest = !dest.IsEmpty() && CSyncJobList::IsPathBelow(dest, target);
    CString result;
    if (def->GetSyncType() == 2 && underDest)
    {
        const CString jobName = RevisionFolderName(def->GetName());
        if (jobName.IsEmpty())
        {
            target.Empty();
            return Fail(ERROR_INVALID_NAME);
        }
        if (!MakeTwoWayRevision(job, target, jobName, result))
        {
            target.Empty();
            return FALSE;
        }
    }
    else
    {
        if (dest.IsEmpty())
        {
            target.Empty();
            return Fail(ERROR_BAD_PATHNAME);
        }
        // A target outside "dest" would give no part after it: the file's own place below its root stands in.
        const CString rest = underDest ? PathBelow(target, dest) : PathBelow(CString(file), CString(root));
        result = JoinDestRoot(dest) + L"Revision\\" + rest;
    }
    if (result.GetLength() >= kMaxPathChars)
    {
        target.Empty();
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    }
    *revision = result;
    return TRUE;
}
