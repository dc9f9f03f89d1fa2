// The two-way pass of the continuous-copy run: one folder pair against its two list files, then each folder
// pair below it.
#include "engine/continuous/ContinuousRun.h"

#include <vector>

#include "engine/continuous/Reconcile.h"
#include "engine/continuous/RemovalRules.h"
#include "engine/continuous/RevisionPath.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/run/RunThread.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

// Directory + system + hidden and nothing else: a folder of the system's own.
constexpr DWORD kSystemFolderAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN;

bool IsDotEntry(LPCWSTR name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// A folder the pass may go into: there, and no link.
bool IsPlainFolder(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class CListFilePass
{
  public:
    CListFilePass(CSyncJob &job, VssCopyBatch &batch, bool keepRevisions, const CString &sourceRoot,
                  const CString &destRoot)
        : m_job(job), m_batch(batch), m_keepRevisions(keepRevisions), m_jobName(job.GetJobDef()->GetName()),
          m_id(job.GetJobDef()->GetJobUUID()), m_maxVersions(job.GetJobDef()->GetMaxVer()), m_sourceRoot(sourceRoot),
          m_destRoot(destRoot), m_found()
    {
    }
    CListFilePass(const CListFilePass &) = delete;
    CListFilePass &operator=(const CListFilePass &) = delete;

    // 0 when the run is to end.
    int PassFolder(const CString &source, const CString &dest);

  private:
    enum class Step
    {
        Next,
        SkipPair, // this folder pair cannot go on (reported); the run goes on
        Stop      // the run ends
    };
    enum class Revision
    {
        Saved,
        Left,     // the pair stays as it is (reported)
        Deferred, // the revision and the copy wait for a snapshot
        Stop
    };
    struct Side
    {
        const CString &folder;
        TesselDirText &list;
        const CString &root;
        bool isSource;
    };

    Step Walk(const Side &walked, const Side &other, std::vector<CString> &subfolders);
    Step FolderEntry(const Side &walked, const Side &other, const CString &name, std::vector<CString> &subfolders);
    Step FileEntry(const Side &walked, const Side &other, const CString &name);
    Revision SaveRevision(const CString &replaced, const Side &replacedSide, const CString &newer,
                          const Side &newerSide);
    Step AfterFailedPair(const Side &other, const CString &path, const CString &otherPath, DWORD direction, DWORD why);

    // TRUE when the error ends the run: a cancel, the destination gone, a network error.
    bool IsStopError(DWORD error);
    // One failed file: an error, a log entry, and (unless listed is false) a line of the copy-error list.
    void CountFailure(const CString &path, DWORD error, bool listed = true);
    // A revision that could not be made: the copy stays as it is, one error, logged and listed.
    void CountRevisionFailure(const CString &replaced, DWORD error);
    void ReportFolder(const CString &folder, DWORD error, UINT stringId);
    // After an error on the other side: SkipPair (reported once) when its folder has gone.
    Step CheckOtherFolder(const Side &other, DWORD error);

    CSyncJob &m_job;
    VssCopyBatch &m_batch;
    const bool m_keepRevisions;
    const CString m_jobName;
    const CString m_id;
    const int m_maxVersions;
    const CString m_sourceRoot;
    const CString m_destRoot;
    // The listing record; every level lists its folder whole before it goes down into the next.
    WIN32_FIND_DATAW m_found;
};

bool CListFilePass::IsStopError(DWORD error)
{
    if (m_job.m_cancelFlag || m_job.m_diskFull)
        return true;
    if (m_job.IsDestinationLost(error))
        return true;
    return m_job.IsRetryableError(error) != FALSE;
}

void CListFilePass::CountFailure(const CString &path, DWORD error, bool listed)
{
    ++m_job.m_errorCount;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                           path.GetString());
    if (listed)
        m_job.LogError(error, path);
}

void CListFilePass::CountRevisionFailure(const CString &replaced, DWORD error)
{
    ++m_job.m_errorCount;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_REVISION_NOT_MADE, FormatNow().GetString(),
                           replaced.GetString(), GetSystemErrorText(error).GetString());
    m_job.LogError(error, replaced);
}

void CListFilePass::ReportFolder(const CString &folder, DWORD error, UINT stringId)
{
    ++m_job.m_errorCount;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, stringId, FormatNow().GetString(), folder.GetString(),
                           GetSystemErrorText(error).GetString());
    m_job.LogError(error, folder);
}

CListFilePass::Step CListFilePass::CheckOtherFolder(const Side &other, DWORD error)
{
    if (IsPlainFolder(other.folder))
        return Step::Next;
    ReportFolder(other.folder, error, IDS_LOG_FOLDER_UNREADABLE);
    return Step::SkipPair;
}

int CListFilePass::PassFolder(const CString &source, const CString &dest)
{
    if (m_job.m_cancelFlag)
        return 0;
    std::vector<CString> subfolders;
    {
        TesselDirText sourceList(m_id, &m_job.GetLog());
        TesselDirText destList(m_id, &m_job.GetLog());
        if (!sourceList.Open(source) || !destList.Open(dest))
        {
            const DWORD error = ::GetLastError();
            const CString &folder = sourceList.IsOpen() ? dest : source;
            sourceList.Close();
            destList.Close();
            if (IsStopError(error))
                return 0;
            // Without both lists nothing tells a new name from a removed one: the pair is left for the next run.
            ReportFolder(folder, error, IDS_LOG_LIST_NOT_OPENED);
            return 1;
        }
        const Side sourceSide{source, sourceList, m_sourceRoot, true};
        const Side destSide{dest, destList, m_destRoot, false};
        Step step = Walk(sourceSide, destSide, subfolders);
        if (step == Step::Next)
            step = Walk(destSide, sourceSide, subfolders);
        if (step == Step::Stop)
            return 0;
        if (step == Step::SkipPair)
            return 1;
    }
    // Each pair below has lists of its own; these two are closed by now.
    for (const CString &name : subfolders)
    {
        if (m_job.m_cancelFlag)
            return 0;
        const CString sourceFolder = source + name + L"\\";
        const CString destFolder = dest + name + L"\\";
        if (!IsPlainFolder(sourceFolder) || !IsPlainFolder(destFolder))
            continue;
        if (!PassFolder(sourceFolder, destFolder))
            return 0;
    }
    return 1;
}

CListFilePass::Step CListFilePass::Walk(const Side &walked, const Side &other, std::vector<CString> &subfolders)
{
    CFindHandle listing(g_pfnFindFirstFile(walked.folder + L"*.*", &m_found));
    if (!listing.IsValid())
    {
        const DWORD error = ::GetLastError();
        if (IsStopError(error))
            return Step::Stop;
        ReportFolder(walked.folder, error, IDS_LOG_FOLDER_UNREADABLE);
        return Step::SkipPair;
    }
    do
    {
        if (m_job.m_cancelFlag)
            return Step::Stop;
        const DWORD attributes = m_found.dwFileAttributes;
        if (IsDotEntry(m_found.cFileName) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            attributes == kSystemFolderAttributes)
            continue;
        const CString name = m_found.cFileName;
        const Step step = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderEntry(walked, other, name, subfolders)
                                                                  : FileEntry(walked, other, name);
        if (step != Step::Next)
            return step;
    } while (g_pfnFindNextFile(listing, &m_found));
    const DWORD ended = ::GetLastError();
    if (m_job.m_cancelFlag)
        return Step::Stop;
    if (ended != ERROR_NO_MORE_FILES)
    {
        if (IsStopError(ended))
            return Step::Stop;
        ReportFolder(walked.folder, ended, IDS_LOG_FOLDER_CUT_SHORT);
        return Step::SkipPair;
    }
    return Step::Next;
}

CListFilePass::Step CListFilePass::FolderEntry(const Side &walked, const Side &other, const CString &name,
                                               std::vector<CString> &subfolders)
{
    const CString path = walked.folder + name;
    if (name.CompareNoCase(L"Revision") == 0 || IsSystemPath(path))
        return Step::Next;
    // A destination inside its source (or the other way round) is never taken for a folder of the other tree:
    // each pass would make it one level deeper.
    if (path.CompareNoCase(CutTrailingBackslashes(m_destRoot)) == 0 ||
        path.CompareNoCase(CutTrailingBackslashes(m_sourceRoot)) == 0)
        return Step::Next;
    const CString otherPath = other.folder + name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (g_pfnGetFileAttributesEx(otherPath, GetFileExInfoStandard, &data))
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            ++m_job.m_errorCount;
            m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_ALREADY_EXISTS, LM_ERROR, IDS_LOG_SYNC_KIND_CONFLICT,
                                   FormatNow().GetString(), path.GetString());
            m_job.LogError(ERROR_ALREADY_EXISTS, otherPath);
        }
        else
        {
            // Seen on both sides, as the pair reconciliation lists a folder pair: removing it from one side
            // later carries over.
            if (!IsListed(walked.list, name))
                walked.list.Add(name, 1);
            if (!IsListed(other.list, name))
                other.list.Add(name, 1);
            if (walked.isSource)
                subfolders.push_back(name);
        }
        return Step::Next;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    {
        if (IsStopError(error))
            return Step::Stop;
        CountFailure(otherPath, error);
        return Step::Next;
    }
    if (CheckOtherFolder(other, error) != Step::Next)
        return Step::SkipPair;

    // A folder counts as seen before only when both lists name it: a new, empty destination has no list, and
    // its missing folders are not removals.
    if (!m_job.m_firstPass && IsListed(walked.list, name) && IsListed(other.list, name))
    {
        // Removed on the other side: only what was in step at the last pass goes with it.
        MarkJobBusy(m_job);
        if (CarryOverFolderRemoval(m_job, path, otherPath))
        {
            Unlist(walked.list, name);
            Unlist(other.list, name);
            return Step::Next;
        }
        // What stayed (added or changed since, or held) comes back to the other side with its folder.
    }
    const DWORD made = CreateFolderPath(otherPath);
    if (made != 0 && made != ERROR_ALREADY_EXISTS)
    {
        if (IsStopError(made))
            return Step::Stop;
        ++m_job.m_errorCount;
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, made, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE, m_jobName.GetString(),
                               otherPath.GetString());
        m_job.LogError(made, otherPath);
        return Step::Next;
    }
    walked.list.Add(name, 1);
    other.list.Add(name, 1);
    subfolders.push_back(name);
    return Step::Next;
}

CListFilePass::Step CListFilePass::FileEntry(const Side &walked, const Side &other, const CString &name)
{
    const CString path = walked.folder + name;
    // A temporary copy is never a file of the user's: one that is under way stays, a leftover of a copy that
    // was cut off goes.
    if (IsTemporaryCopyName(name))
    {
        DeleteLeftoverTemporary(path);
        return Step::Next;
    }
    if (IsExcludedFile(name) || m_job.IsExcluded(name) || !m_job.IsIncluded(name))
    {
        ++m_job.m_entriesFiltered;
        return Step::Next;
    }
    const CString otherPath = other.folder + name;
    WIN32_FILE_ATTRIBUTE_DATA mine, theirs;
    const bool otherThere = g_pfnGetFileAttributesEx(otherPath, GetFileExInfoStandard, &theirs) != FALSE;
    // A pair present on both sides was the source walk's: a second look would count and queue it twice.
    if (otherThere && !walked.isSource)
        return Step::Next;
    ++m_job.m_entriesFound;
    if (otherThere)
    {
        if (theirs.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return Step::Next; // the folder's walk reports the pair
        NewerCopy newer = NewerCopy::Same;
        bool keptApart = false;
        const bool inStep = !m_job.m_firstPass && IsListed(walked.list, name) && IsListed(other.list, name);
        if (m_keepRevisions && g_pfnGetFileAttributesEx(path, GetFileExInfoStandard, &mine) &&
            DecideBothPresent(m_job, mine, theirs, inStep, PairSource::A, newer, keptApart) &&
            (newer == NewerCopy::A || newer == NewerCopy::B))
        {
            // The copy that the reconciliation replaces is the older one: it is kept before it is overwritten.
            const Revision kept = newer == NewerCopy::B ? SaveRevision(path, walked, otherPath, other)
                                                        : SaveRevision(otherPath, other, path, walked);
            if (kept == Revision::Stop)
                return Step::Stop;
            if (kept != Revision::Saved)
                return Step::Next;
        }
    }
    DWORD direction = 1;
    if (ReconcilePairInLists(m_job, path, otherPath, direction, walked.list, other.list,
                             walked.isSource ? PairSource::A : PairSource::B))
    {
        ++m_job.m_filesCopied;
        return Step::Next;
    }
    return AfterFailedPair(other, path, otherPath, direction, ::GetLastError());
}

CListFilePass::Revision CListFilePass::SaveRevision(const CString &replaced, const Side &replacedSide,
                                                    const CString &newer, const Side &newerSide)
{
    CString target, revision;
    if (!MakeRevisionPath(m_job, newer, newerSide.root, replacedSide.root, target, &revision))
    {
        // Nothing is overwritten without its revision.
        CountRevisionFailure(replaced, ::GetLastError());
        return Revision::Left;
    }
    const int result = CopyFileWithRevisions(replaced, revision, m_maxVersions);
    if (result == TASK_DONE)
        return Revision::Saved;
    const DWORD error = ::GetLastError();
    if (result == TASK_DISK_FULL)
    {
        m_job.m_diskFull = TRUE;
        CountRevisionFailure(replaced, ERROR_DISK_FULL);
        return Revision::Stop;
    }
    if (IsStopError(error))
        return Revision::Stop;
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
    {
        // The older copy is in use: its revision and then the newer copy over it are both taken from a
        // snapshot, in that order, so that it is not overwritten before it is kept.
        if (AddVssCopyItem(&m_job, m_batch, 1, replaced, revision) &&
            AddVssCopyItem(&m_job, m_batch, 0, newer, replaced))
        {
            ++m_job.m_errorCount;
            m_job.FlushVssCopyBatch(m_batch);
        }
        else
        {
            ++m_job.m_errorCount;
        }
        return Revision::Deferred;
    }
    CountRevisionFailure(replaced, error);
    return Revision::Left;
}

CListFilePass::Step CListFilePass::AfterFailedPair(const Side &other, const CString &path, const CString &otherPath,
                                                   DWORD direction, DWORD why)
{
    if (m_job.m_cancelFlag)
        return Step::Stop;
    const DWORD copyError = m_job.m_lastCopyError;
    if (copyError == 0)
    {
        // The pair could not be looked at.
        if (IsStopError(why))
            return Step::Stop;
        if (IsDriveGoneError(why) && CheckOtherFolder(other, why) != Step::Next)
            return Step::SkipPair;
        CountFailure(path, why);
        return Step::Next;
    }
    const CString &from = direction ? path : otherPath;
    const CString &to = direction ? otherPath : path;
    if (m_job.m_diskFull)
    {
        // The copy routine has put the full disk on the copy-error list.
        CountFailure(from, ERROR_DISK_FULL, false);
        return Step::Stop;
    }
    if (IsStopError(copyError))
        return Step::Stop;
    // Gone since the listing: nothing is left to copy.
    if ((copyError == ERROR_FILE_NOT_FOUND || copyError == ERROR_PATH_NOT_FOUND) &&
        ::GetFileAttributesW(from) == INVALID_FILE_ATTRIBUTES)
        return Step::Next;
    // A file in use comes from a snapshot; the batch takes back the error when it copies the file. A snapshot
    // cannot mend any other failure: it is one error, logged with its cause.
    if (copyError != ERROR_SHARING_VIOLATION && copyError != ERROR_LOCK_VIOLATION)
    {
        CountFailure(from, copyError);
        return Step::Next;
    }
    ++m_job.m_errorCount;
    if (AddVssCopyItem(&m_job, m_batch, 0, from, to))
        m_job.FlushVssCopyBatch(m_batch);
    return Step::Next;
}

} // namespace

int PassAgainstListFile(CSyncJob &job, LPCWSTR folderA, LPCWSTR folderB, VssCopyBatch &batch, BOOL keepRevisions)
{
    if (folderA == nullptr || folderB == nullptr)
        return 1;
    const CString source = JoinDestRoot(folderA);
    const CString dest = JoinDestRoot(folderB);
    CListFilePass pass(job, batch, keepRevisions != FALSE, source, dest);
    return pass.PassFolder(source, dest);
}
