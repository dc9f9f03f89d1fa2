// Carrying a removal over from one side of a two-way job to the other: a file, or a folder entry by entry.
#include "engine/continuous/RemovalRules.h"

#include <vector>

#include "engine/continuous/Reconcile.h"
#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/task/SyncTask.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

void LogPair(CSyncJob &job, int line, DWORD error, DWORD level, UINT id, const CString &first, const CString &second)
{
    job.GetLog().LogIdAt(L"SyncJob", line, error, level, id, FormatNow().GetString(), first.GetString(),
                         second.GetString());
}

struct Entry
{
    CString name;
    DWORD attributes;
    FILETIME written;
};

// The folder's entries, "." and ".." left out; FALSE when it could not be listed to its end.
bool ListFolder(const CString &folder, std::vector<Entry> &entries)
{
    WIN32_FIND_DATAW found;
    CFindHandle listing(::FindFirstFileW(folder + L"\\*.*", &found));
    if (!listing.IsValid())
        return false;
    do
    {
        const LPCWSTR name = found.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        entries.push_back(Entry{name, found.dwFileAttributes, found.ftLastWriteTime});
    } while (::FindNextFileW(listing, &found));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace

RemovalOutcome CarryOverFileRemoval(CSyncJob &job, const CString &doomed, const FILETIME &doomedWritten,
                                    const CString &removedPath, const TesselDirText &doomedList, IReplaceGuard *guard)
{
    if (doomedList.IsWrittenSinceInStep(doomed.Mid(doomed.ReverseFind(L'\\') + 1), doomedWritten))
    {
        LogPair(job, __LINE__, 0, LM_INFO, IDS_LOG_SYNC_KEPT_CHANGED, doomed, removedPath);
        return RemovalOutcome::Kept;
    }
    if (guard != nullptr && !guard->BeforeReplace(doomed, removedPath))
        return RemovalOutcome::Left;
    MarkJobBusy(job);
    if (DeleteFolderTree(doomed, 0, &job))
    {
        LogPair(job, __LINE__, 0, LM_INFO, IDS_LOG_SYNC_DELETED, doomed, removedPath);
        return RemovalOutcome::Deleted;
    }
    const DWORD error = ::GetLastError();
    LogPair(job, __LINE__, error, LM_ERROR, IDS_LOG_SYNC_DELETE_FAILED, removedPath, doomed);
    ::SetLastError(error);
    return RemovalOutcome::Failed;
}

bool CarryOverFolderRemoval(CSyncJob &job, const CString &folder, const CString &removedFolder, IReplaceGuard *guard)
{
    std::vector<Entry> entries;
    bool whole = ListFolder(folder, entries);
    {
        TesselDirText list(job.GetJobDef()->GetJobUUID(), &job.GetLog());
        if (!list.Open(folder + L"\\"))
            return false;
        const CString listName = GetTesselDirListFileName();
        for (const Entry &entry : entries)
        {
            const CString path = folder + L"\\" + entry.name;
            const CString removedPath = removedFolder + L"\\" + entry.name;
            if (entry.name.CompareNoCase(listName) == 0)
                continue;
            // A link leads elsewhere and is never followed; what is not listed was added since the last pass.
            if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !IsListed(list, entry.name))
            {
                if (!(IsTemporaryCopyName(entry.name) && DeleteLeftoverTemporary(path)))
                    whole = false;
                continue;
            }
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
            {
                MarkJobBusy(job);
                if (CarryOverFolderRemoval(job, path, removedPath, guard))
                    Unlist(list, entry.name);
                else
                    whole = false;
                continue;
            }
            if (CarryOverFileRemoval(job, path, entry.written, removedPath, list, guard) == RemovalOutcome::Deleted)
                Unlist(list, entry.name);
            else
                whole = false;
        }
    }
    if (!whole)
        return false;
    MarkJobBusy(job);
    if (!DeleteFolderTree(folder, 1, &job))
        return false;
    LogPair(job, __LINE__, 0, LM_INFO, IDS_LOG_SYNC_DELETED, folder, removedFolder);
    return true;
}
