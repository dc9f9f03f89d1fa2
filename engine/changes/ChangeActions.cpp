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
#include "engine/run/FileOpsSeams.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

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

} // namespace

int CChangeProcessor::CopyOver(ChangeMatch &match)
{
    CSyncJob &job = match.job;
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

CChangeProcessor::MatchEnd CChangeProcessor::LeaveForFullDisk(ChangeMatch &match)
{
    match.job.m_diskFull = TRUE;
    match.job.GetLog().LogIdAt(L"FileMon", __LINE__, ERROR_DISK_FULL, LM_ERROR, IDS_LOG_CHANGE_NOT_COPIED_FULL,
                               FormatNow().GetString(), match.path.GetString());
    OweRun(&match.job, RunWhen::RoomAgain);
    return MatchEnd::Done;
}

bool CChangeProcessor::KeepRevision(ChangeMatch &match, const CString &file, const CString &revision, DWORD why,
                                    const CString &removed)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (def.GetMaxVer() == 0 || def.GetDestAgent() != 0 || !PathExists(file) || IsFolderPath(file) ||
        IsInRevisionFolder(job, file))
        return true;
    DWORD error = why != 0 ? why : ERROR_FILENAME_EXCED_RANGE;
    if (!revision.IsEmpty())
    {
        const int kept = CopyFileWithRevisions(file, revision, def.GetMaxVer());
        if (kept == TASK_DONE)
            return true;
        error = ::GetLastError();
        if (kept == TASK_DISK_FULL)
        {
            job.LogError(ERROR_DISK_FULL, file);
            LeaveForFullDisk(match);
            return false;
        }
        // A copy another program holds comes from a snapshot, before anything replaces or deletes it.
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        {
            const BOOL queued = AddVssCopyItem(&job, match.batch, 1, file, revision);
            if (HandOverBatch(match) && queued)
                return true;
            OweRun(&job, RunWhen::Idle);
        }
    }
    ++job.m_errorCount;
    if (removed.IsEmpty())
        job.GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_ERROR, IDS_LOG_REVISION_NOT_MADE, FormatNow().GetString(),
                             file.GetString(), GetSystemErrorText(error).GetString());
    else
        job.GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_ERROR, IDS_LOG_CHANGE_COPY_KEPT, FormatNow().GetString(),
                             removed.GetString(), file.GetString());
    job.LogError(error, file);
    return false;
}

bool CChangeProcessor::KeepRemovedCopy(ChangeMatch &match)
{
    if (match.def.GetMaxVer() == 0 || match.def.GetDestAgent() != 0)
        return true;
    if (!IsFolderPath(match.counterpart))
        return KeepRevision(match, match.counterpart, match.revision, match.revisionError, match.path);
    return KeepFolderRevisions(match, match.counterpart, match.path);
}

bool CChangeProcessor::KeepFolderRevisions(ChangeMatch &match, const CString &folder, const CString &removed)
{
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW(folder + L"\\*.*", &found));
    bool kept = listing.IsValid();
    DWORD error = kept ? 0 : ::GetLastError();
    while (kept)
    {
        const CString name = found.cFileName;
        const CString path = folder + L"\\" + name;
        // A link is deleted as a link, never entered: what it leads to stays, and needs no revision.
        if (name != L"." && name != L".." && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        {
            const CString removedPath = removed + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                if (!KeepFolderRevisions(match, path, removedPath))
                    return false;
            }
            else
            {
                CString revision;
                const DWORD why = MakeFileRevisionPath(match.job, path, revision) ? 0 : ::GetLastError();
                if (!KeepRevision(match, path, revision, why, removedPath))
                    return false;
            }
        }
        if (!::FindNextFileW(listing, &found))
        {
            error = ::GetLastError();
            break;
        }
    }
    if (error == 0 || error == ERROR_NO_MORE_FILES)
        return true;
    // A folder whose files cannot all be seen cannot have them all kept: it stays as it is.
    CSyncJob &job = match.job;
    ++job.m_errorCount;
    job.GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_ERROR, IDS_LOG_CHANGE_COPY_KEPT, FormatNow().GetString(),
                         removed.GetString(), folder.GetString());
    job.LogError(error, folder);
    return false;
}

CChangeProcessor::MatchEnd CChangeProcessor::CheckRoom(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (!job.m_diskFull || def.GetDestAgent() != 0)
        return MatchEnd::Skipped;
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
    return MatchEnd::Skipped;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnAdded(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    const bool agent = def.GetDestAgent() != 0;
    if (IsExcludedFile(match.path))
        return MatchEnd::Done;
    if (CheckRoom(match) == MatchEnd::Done)
        return MatchEnd::Done;

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
            Journal(job, match.counterpart, match.path);
            return MatchEnd::Done;
        }
    }
    if (!PassesExtensionFilters(job, match.path))
        return MatchEnd::Done;
    // The copy replaces the old one only once the old one is kept.
    if (!KeepRevision(match, match.counterpart, match.revision, match.revisionError))
        return MatchEnd::Done;
    const int result = CopyOver(match);
    if (!agent)
        WarnWhenNearlyFull(match);
    if (result == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    Journal(job, match.counterpart, match.path);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnRemoved(ChangeMatch &match, bool copyLivesOn)
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
    // A one-way job carries a removal over only with autodel, and only while the file is still away.
    if (!def.GetAutoDel() || PathExists(match.path))
        return MatchEnd::Done;
    // A file deleted by mistake is the restore's first case: a job that keeps revisions keeps the copy first.
    if (!copyLivesOn && !KeepRemovedCopy(match))
        return MatchEnd::Done;
    if (def.GetMoveToRecycle())
    {
        RecycleCopy(match.counterpart);
    }
    else
    {
        MarkJobBusy(job);
        DeleteFolderTree(match.counterpart, IsFolderPath(match.counterpart) ? 1 : 0, &job);
    }
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::OnRenamed(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (IsOfficeSaveRename(match))
        return MatchEnd::Done;
    const CString newCounterpart = SiblingPath(match.counterpart, LastComponent(match.secondPath));
    // Only the copy of the renamed file is renamed, and never over another file.
    if (def.GetDestAgent() == 0 && IsCopyOf(match.counterpart, match.secondPath) && !PathExists(newCounterpart))
    {
        MarkJobBusy(job);
        if (g_pfnMoveFileEx(match.counterpart, newCounterpart, 0))
        {
            FlushJournal(&job);
            job.GetRestoreJournal()->RecordRename(def.GetName(), newCounterpart, match.secondPath, match.counterpart,
                                                  match.path);
            return MatchEnd::Done;
        }
    }
    // Else the file is backed up under its new name (the copy there kept as a revision first), and the old
    // name's copy goes as a removal does.
    const CString oldPath = match.path, oldCounterpart = match.counterpart, oldRevision = match.revision;
    MatchEnd end = MatchEnd::Done;
    // The old name's copy needs no revision when its bytes live on as the copy under the new name.
    bool copyLivesOn = false;
    if (PassesJobFilters(job, match.secondPath))
    {
        BecomeAdded(match);
        end = OnAdded(match);
        if (end == MatchEnd::FolderCopyFailed)
            return end;
        copyLivesOn = !IsFolderPath(oldCounterpart) && IsCopyOf(oldCounterpart, match.counterpart);
    }
    match.action = kChangeRemoved;
    match.path = oldPath;
    match.secondPath.Empty();
    match.counterpart = oldCounterpart;
    match.revision = oldRevision;
    OnRemoved(match, copyLivesOn);
    return end;
}
