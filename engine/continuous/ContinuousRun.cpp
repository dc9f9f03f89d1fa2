// The continuous-copy run thread: the space check, each source's preparation and pass, and the run's end.
#include "engine/continuous/ContinuousRun.h"

#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/run/DestPaths.h"
#include "engine/run/MailStoreBackup.h"
#include "engine/run/RunThread.h"
#include "engine/store/JobDef.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/FileAttributes.h"
#include "platform/system/Handles.h"

namespace
{

enum class RunEnd
{
    Finished,
    Failed // cancelled when the cancel flag is set
};

// The attributes a destination folder takes from its source folder. Read-only is left out: it means nothing
// to a folder on Windows, but on other file systems it keeps files from being made in it.
constexpr DWORD kFolderAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

void LogWithTime(CSyncJob &job, DWORD level, UINT id)
{
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, ::GetLastError(), level, id, FormatNow().GetString());
}

// One source that could not be taken up: an error, a log entry and a line of the copy-error list.
void ReportSource(CSyncJob &job, UINT stringId, const CString &path, DWORD error)
{
    ++job.m_errorCount;
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, stringId, FormatNow().GetString(), path.GetString(),
                         GetSystemErrorText(error).GetString());
    job.LogError(error, path);
}

bool Exists(const CString &path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const CString &path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "X:\" of a drive path, "\\server\share\" of a network path, else empty; upper-cased.
CString VolumeRoot(const CString &path)
{
    CString root;
    if (GetPathKind(path) == 0)
    {
        root = path.Left(2) + L"\\";
    }
    else if (GetPathKind(path) == 1)
    {
        const int serverEnd = path.Find(L'\\', 2);
        const int shareEnd = serverEnd > 0 ? path.Find(L'\\', serverEnd + 1) : -1;
        root = serverEnd < 0 ? path : shareEnd < 0 ? path + L"\\" : path.Left(shareEnd + 1);
    }
    return root.MakeUpper();
}

// The destination volume's size and use; past the job's threshold (and with its warning on) the balloon
// warns. balloonPath null names "dest" in the balloon.
void CheckSpace(CSyncJob &job, const CString &path, LPCWSTR balloonPath)
{
    ULONGLONG total = 0, used = 0, free = 0;
    GetPathDiskSpace(path, total, used, free);
    job.m_destTotalBytes = total;
    job.m_destUsedBytes = used;
    if (total == 0)
        return;
    const double percent = static_cast<double>(used) / static_cast<double>(total) * 100.0;
    CJobDef *def = job.GetJobDef();
    if (def->GetThreshold() < percent && def->GetWarningThreshold() != 0)
    {
        job.ShowBalloon(FALSE, nullptr);
        job.ShowBalloon(TRUE, balloonPath);
    }
}

bool NeverRan(CSyncJob &job)
{
    CTime lastRun;
    ParseLastRunTime(lastRun, job.GetElement());
    return lastRun.GetTime() == 0;
}

// One source: its pass, then the open-file copies its pass left in the batch. false when the source failed.
bool SyncSource(CSyncJob &job, const RunSource &source)
{
    CJobDef *def = job.GetJobDef();
    const RunSourceKind kind = GetRunSourceKind(source.path);
    if (kind == RunSourceKind::MailStore && !source.destination.IsEmpty())
    {
        const DWORD error = BackupMailStores(job, source.element, source.path, source.destination);
        if (error != 0)
        {
            ++job.m_errorCount;
            job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                                 source.path.GetString());
            job.LogError(error, source.path);
        }
        return true;
    }
    if (kind == RunSourceKind::File)
    {
        // A single file has no folder to keep in step with.
        ++job.m_errorCount;
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_DIRECTORY, LM_ERROR, IDS_LOG_SOURCE_FORM,
                             source.path.GetString());
        job.LogError(ERROR_DIRECTORY, source.path);
        return false;
    }
    if (!source.path.IsEmpty() && !source.destination.IsEmpty() && !def->GetDestAgent() &&
        VolumeRoot(source.destination).CompareNoCase(VolumeRoot(def->GetDest())) != 0)
        CheckSpace(job, source.destination, source.destination);
    if (!source.path.IsEmpty() && !source.destination.IsEmpty() && !Exists(source.path) && !Exists(source.destination))
    {
        // Neither side is there (a drive that is not plugged in): nothing is made, nothing is lost.
        ReportSource(job, IDS_LOG_FOLDER_UNREADABLE, source.path, ::GetLastError());
        return true;
    }
    VssCopyBatch batch;
    const int prepared = PrepareDestination(job, source.path, source.destination, batch);
    if (!job.m_cancelFlag && !batch.empty())
        VssCopyFiles(batch, def->GetMaxVer(), &job);
    return prepared != 0;
}

RunEnd RunSources(CSyncJob &job)
{
    CJobDef *def = job.GetJobDef();
    if (def->GetSyncType() != 2)
        return RunEnd::Finished;
    job.m_firstPass = NeverRan(job) ? 1 : 0;
    if (!def->GetDestAgent())
        CheckSpace(job, def->GetDest(), nullptr);
    job.m_bytesTotal = 0;
    job.m_bytesDone = 0;

    std::vector<RunSource> sources;
    if (!ReadRunSources(job.GetElement(), sources))
        return RunEnd::Failed;
    bool allDone = true;
    for (const RunSource &source : sources)
    {
        if (job.m_cancelFlag)
            return RunEnd::Failed;
        job.m_lastCopyError = 0;
        job.m_filtersActive = source.filtersActive ? 1 : 0;
        if (!SyncSource(job, source))
            allDone = false;
        if (IsRunStopped(job))
            return RunEnd::Failed;
    }
    return allDone ? RunEnd::Finished : RunEnd::Failed;
}

void SetCompleteStatus(CSyncJob &job, int status)
{
    try
    {
        job.GetJobDef()->SetCompleteStatus(status);
    }
    catch (const _com_error &)
    {
    }
}

void EndRun(CSyncJob &job, RunEnd end)
{
    const LPARAM errors = job.m_errorCount > 0 ? 1 : 0;
    // complete_status is set before the message goes: its handler reads it, and may edit or remove the job.
    if (end == RunEnd::Finished)
    {
        job.m_progressPercent = 100;
        job.m_secondPercent = 100;
        LogWithTime(job, LM_INFO, IDS_LOG_RUN_ENDED);
        SetCompleteStatus(job, 1);
        PostToMainWindow(WM_JOB_FINISHED, reinterpret_cast<WPARAM>(&job), errors);
    }
    else if (job.m_cancelFlag)
    {
        LogWithTime(job, LM_WARNING, IDS_LOG_RUN_CANCELLED);
        SetCompleteStatus(job, 4);
        PostToMainWindow(WM_JOB_CANCELLED, reinterpret_cast<WPARAM>(&job), 0);
    }
    else
    {
        LogRunFailure(job);
        // An unreachable network destination is retried by the destination watch.
        SetCompleteStatus(job, job.m_networkRetry ? 2 : 4);
        PostToMainWindow(WM_JOB_FINISHED, reinterpret_cast<WPARAM>(&job), errors);
    }
}

} // namespace

int PrepareDestination(CSyncJob &job, LPCWSTR folderA, LPCWSTR folderB, VssCopyBatch &batch)
{
    const CString source(folderA != nullptr ? folderA : L"");
    const CString dest(folderB != nullptr ? folderB : L"");
    if (source.IsEmpty() || dest.IsEmpty())
    {
        ++job.m_errorCount;
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_BAD_PATHNAME, LM_ERROR, IDS_LOG_SYNC_NO_DESTINATION,
                             FormatNow().GetString(), source.GetString());
        job.LogError(ERROR_BAD_PATHNAME, source.IsEmpty() ? dest : source);
        return 0;
    }
    if (job.GetJobDef()->GetSyncType() != 2 || job.m_diskFull)
        return 0;
    const CString a = JoinDestRoot(source);
    const CString b = JoinDestRoot(dest);
    for (const CString &folder : {a, b})
    {
        if (IsFolder(folder))
            continue;
        const DWORD made = CreateFolderPath(folder);
        if (made == 0 || made == ERROR_ALREADY_EXISTS)
            continue;
        // A destination that went away is the run's end, reported there.
        if (!job.IsDestinationLost(made))
        {
            ++job.m_errorCount;
            job.GetLog().LogIdAt(L"SyncJob", __LINE__, made, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE,
                                 job.GetJobDef()->GetName().GetString(), folder.GetString());
            job.LogError(made, folder);
        }
        return 0;
    }
    if (!IsDriveLetterPath(a) && !IsDriveLetterPath(b))
    {
        const DWORD attributes = ::GetFileAttributesW(a);
        if (attributes != INVALID_FILE_ATTRIBUTES)
        {
            const DWORD kept = attributes & kFolderAttributes;
            AfxSetFileAttributes(b, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
        }
    }
    return PassAgainstListFile(job, a, b, batch, job.GetJobDef()->GetMaxVer() != 0);
}

unsigned __stdcall ListFileRunThreadProc(void *param)
{
    CCoInitialize com(COINIT_MULTITHREADED);
    CSyncJob *job = static_cast<CSyncJob *>(param);
    if (job == nullptr)
        return 0;
    CSingleLock runLock(&job->m_runLock, TRUE);
    RunEnd end = RunEnd::Failed;
    try
    {
        end = RunSources(*job);
    }
    catch (...)
    {
        end = RunEnd::Failed;
    }
    job->m_firstPass = 0;
    EndRun(*job, end);
    return 0;
}

void InstallListFileRunThread()
{
    SyncJobWorkers workers = g_syncJobWorkers.Get();
    workers.listFile = &ListFileRunThreadProc;
    g_syncJobWorkers.Exchange(workers);
}
