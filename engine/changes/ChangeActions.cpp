// Change processing: what a match does for an added or modified, a removed and a renamed file.
#include <windows.h>

#include <shellapi.h>

#include "engine/changes/ChangeMatch.h"
#include "engine/changes/ChangeProcessor.h"
#include "engine/continuous/Reconcile.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/AppPaths.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

// The copy goes to the recycle bin, where the user can still get it back.
void RecycleCopy(const CString &path)
{
    std::wstring from(path.GetString(), path.GetLength());
    from.append(2, L'\0');
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
    ::SHFileOperationW(&operation);
}

bool EndsWithNoCase(const CString &text, LPCWSTR suffix)
{
    const int length = static_cast<int>(wcslen(suffix));
    return text.GetLength() >= length && text.Right(length).CompareNoCase(suffix) == 0;
}

void WarnWhenNearlyFull(ChangeMatch &match)
{
    ULONGLONG total = 0, used = 0, free = 0;
    GetPathDiskSpace(match.counterpart, total, used, free);
    const int threshold = match.def.GetThreshold();
    if (total != 0 && static_cast<double>(used) / static_cast<double>(total) * 100.0 > threshold &&
        match.def.GetWarningThreshold() != 0 && threshold >= 50)
    {
        match.job.ShowBalloon(FALSE, nullptr);
        match.job.ShowBalloon(TRUE, match.counterpart);
    }
}

// The snapshot batch goes now: a copy that comes next would replace or delete what it is to copy. FALSE when
// a record of it could not be copied.
bool HandOverBatch(ChangeMatch &match)
{
    size_t failed = 0;
    if (!match.batch.empty())
        failed = VssCopyFiles(std::move(match.batch), match.def.GetMaxVer(), &match.job);
    match.batch.clear();
    return failed == 0;
}

} // namespace

int CChangeProcessor::CopyOver(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    if (match.def.GetSyncType() != 2)
    {
        MarkJobBusy(job);
        if (match.def.GetDestAgent() != 0)
            return TASK_DONE;
        const int result = CopyFileViaTemp(&job, match.path, match.counterpart);
        const DWORD error = ::GetLastError();
        // A path too long went to the destination's "Recycled" folder; a file gone since is a removal to come.
        if (result == TASK_DONE || result == TASK_PATH_TOO_LONG || !PathExists(match.path))
            return result;
        if (error == ERROR_DISK_FULL)
            return TASK_DISK_FULL;
        AddVssCopyItem(&job, match.batch, 0, match.path, match.counterpart);
        return result;
    }
    DWORD direction = 1;
    if (ReconcilePair(job, match.path, match.counterpart, direction))
        return TASK_DONE;
    const DWORD error = job.m_lastCopyError;
    if (error == ERROR_DISK_FULL)
        return TASK_DISK_FULL;
    if (error == 0)
    {
        // The pair could not even be looked at (a list file held, a folder without access): a run takes it up.
        OweRun(&job, RunWhen::Idle);
        return TASK_FAILED;
    }
    if (direction != 0)
        AddVssCopyItem(&job, match.batch, 0, match.path, match.counterpart);
    else
        AddVssCopyItem(&job, match.batch, 0, match.counterpart, match.path);
    return TASK_FAILED;
}

CChangeProcessor::MatchEnd CChangeProcessor::LeaveForFullDisk(ChangeMatch &match)
{
    match.job.m_diskFull = TRUE;
    match.job.GetLog().LogIdAt(L"FileMon", __LINE__, ERROR_DISK_FULL, LM_ERROR, IDS_LOG_CHANGE_NOT_COPIED_FULL,
                               FormatNow().GetString(), match.path.GetString());
    OweRun(&match.job, RunWhen::RoomAgain);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnAdded(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    const bool agent = def.GetDestAgent() != 0;
    if (IsExcludedFile(match.path))
        return MatchEnd::Done;
    if (job.m_diskFull && !agent)
    {
        ULARGE_INTEGER available = {};
        if (g_pfnGetDiskFreeSpaceEx(def.GetDest(), &available, nullptr, nullptr))
        {
            if (available.QuadPart == 0)
                return LeaveForFullDisk(match);
        }
        else
        {
            const DWORD error = ::GetLastError();
            job.GetLog().LogIdAt(L"SyncJobFiles", __LINE__, error, LM_ERROR, IDS_LOG_FREE_SPACE_UNREAD,
                                 FormatNow().GetString(), match.counterpart.GetString());
            job.LogStatus(error);
        }
        // Room again (or no way to tell): the flag would make CopyFolder refuse every later folder.
        job.m_diskFull = FALSE;
    }

    const DWORD attributes = ::GetFileAttributesW(match.path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return MatchEnd::Done;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        if (agent)
        {
            MarkJobBusy(job);
            return MatchEnd::Done;
        }
        if (!PathExists(match.counterpart))
        {
            MarkJobBusy(job);
            if (!job.CopyFolder(match.path, match.counterpart, match.revision, def.GetMaxVer()))
                return MatchEnd::FolderCopyFailed;
            job.GetRestoreJournal()->AppendOne(def.GetName(), match.counterpart, match.path);
            return MatchEnd::Done;
        }
    }
    if (!PassesExtensionFilters(job, match.path))
        return MatchEnd::Done;

    if (!agent && PathExists(match.counterpart) && !IsFolderPath(match.counterpart) &&
        !IsInRevisionFolder(job, match.counterpart))
    {
        const int kept = CopyFileWithRevisions(match.counterpart, match.revision, def.GetMaxVer());
        if (kept == TASK_DISK_FULL)
        {
            job.LogError(ERROR_DISK_FULL, match.counterpart);
            return LeaveForFullDisk(match);
        }
        if (kept != TASK_DONE)
        {
            // The copy below replaces the counterpart: the snapshot must take its revision first, and without
            // it (logged there) the counterpart stays as it is.
            const BOOL queued = AddVssCopyItem(&job, match.batch, 1, match.counterpart, match.revision);
            if (!HandOverBatch(match) || !queued)
                return MatchEnd::Done;
        }
    }
    const int result = CopyOver(match);
    if (!agent)
        WarnWhenNearlyFull(match);
    if (result == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    job.GetRestoreJournal()->AppendOne(def.GetName(), match.counterpart, match.path);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnRemoved(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (IsExcludedFile(match.path) || def.GetDestAgent() != 0 || !PathExists(match.counterpart))
        return MatchEnd::Done;
    if (!IsFolderPath(match.path))
    {
        // Office saves by deleting the old file and renaming the new one in its place.
        const CString name = CutTrailingBackslashes(match.path);
        if (EndsWithNoCase(name, L".ppt") || EndsWithNoCase(name, L".xls"))
        {
            ::Sleep(1000);
            if (PathExists(match.path))
                return MatchEnd::Done;
        }
    }
    if (PathExists(match.path))
    {
        CString lower = match.path;
        lower.MakeLower();
        if (lower.Find(L".xls") > 0)
        {
            if (CopyOver(match) == TASK_DISK_FULL)
            {
                job.LogError(ERROR_DISK_FULL, match.path);
                return LeaveForFullDisk(match);
            }
            return MatchEnd::Done;
        }
    }

    if (def.GetSyncType() != 2)
    {
        if (def.GetAutoDel() && !PathExists(match.path))
        {
            if (def.GetMoveToRecycle())
            {
                RecycleCopy(match.counterpart);
            }
            else
            {
                MarkJobBusy(job);
                DeleteFolderTree(match.counterpart, IsFolderPath(match.counterpart) ? 1 : 0, &job);
            }
        }
        return MatchEnd::Done;
    }

    const int isFolder = IsFolderPath(match.counterpart) ? 1 : 0;
    if (!IsInRevisionFolder(job, match.counterpart))
    {
        const int kept = CopyFileWithRevisions(match.counterpart, match.revision, def.GetMaxVer());
        const DWORD error = ::GetLastError();
        if (kept == TASK_DISK_FULL)
        {
            job.m_diskFull = TRUE;
            job.LogError(ERROR_DISK_FULL, match.counterpart);
            OweRun(&job, RunWhen::RoomAgain);
            return MatchEnd::Done;
        }
        if (kept != TASK_DONE)
        {
            // Only a revision that was made lets the last copy go; the snapshot's copy cannot be known here.
            AddVssCopyItem(&job, match.batch, 1, match.counterpart, match.revision);
            HandOverBatch(match);
            job.GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_ERROR, IDS_LOG_CHANGE_COPY_KEPT,
                                 FormatNow().GetString(), match.path.GetString(), match.counterpart.GetString());
            job.LogError(error, match.counterpart);
            return MatchEnd::Done;
        }
    }
    RemoveFromListFile(job, match.path, isFolder);
    MarkJobBusy(job);
    if (DeleteFolderTree(match.counterpart, isFolder, &job))
        RemoveFromListFile(job, match.counterpart, isFolder);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnRenamed(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    // An Office save in progress: the document is renamed aside while its new copy is written.
    if (IsDocumentExtension(match.path) && EndsWithNoCase(match.secondPath, L".tmp"))
        return MatchEnd::Done;
    CString newCounterpart = SiblingPath(match.counterpart, LastComponent(match.secondPath));
    bool renamed = PathExists(match.counterpart);
    if (renamed)
    {
        MarkJobBusy(job);
        if (def.GetDestAgent() == 0)
            renamed = MoveFileIntoFolder(match.secondPath, match.counterpart, newCounterpart) != FALSE;
    }
    if (!renamed)
    {
        // No copy under the old name (or it could not be renamed): the file is backed up under its new one.
        if (!PassesJobFilters(job, match.secondPath))
            return MatchEnd::Done;
        BecomeAdded(match);
        return OnAdded(match);
    }
    if (def.GetSyncType() == 2)
    {
        AddToListFile(job, newCounterpart);
        AddToListFile(job, match.secondPath);
        const int isFolder = IsFolderPath(match.secondPath) ? 1 : 0;
        RemoveFromListFile(job, match.path, isFolder);
        RemoveFromListFile(job, match.counterpart, isFolder);
    }
    job.GetRestoreJournal()->RecordRename(def.GetName(), newCounterpart, match.secondPath, match.counterpart,
                                          match.path);
    return MatchEnd::Done;
}
