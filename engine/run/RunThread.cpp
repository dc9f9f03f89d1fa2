// The backup run thread: reads the job's sources, backs each one up and posts the run's end message.
#include "engine/run/RunThread.h"

#include <cwctype>
#include <memory>

#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/run/DestPaths.h"
#include "engine/store/JobDef.h"
#include "engine/run/MailStoreBackup.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

CString UpperKey(const CString &path)
{
    CString key = path;
    key.MakeUpper();
    return key;
}

bool EndsWithNoCase(const CString &text, LPCWSTR tail)
{
    int length = static_cast<int>(wcslen(tail));
    return text.GetLength() >= length && _wcsicmp(text.GetString() + text.GetLength() - length, tail) == 0;
}

CString LastComponent(const CString &path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

// The folder that holds a folder (given with its trailing backslash), without a trailing backslash.
CString ParentFolder(const CString &folder)
{
    CString path = folder;
    path.TrimRight(L'\\');
    return path.Left(path.ReverseFind(L'\\') + 1);
}

enum class RunEnd
{
    Finished,
    Failed // cancelled when the cancel flag is set
};

void LogWithTime(CSyncJob &job, DWORD level, UINT id)
{
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, ::GetLastError(), level, id, FormatNow().GetString());
}

// A restore speaks of itself in the log, not of a backup.
UINT RunText(const CSyncJob &job, UINT backupId, UINT restoreId)
{
    return job.m_journalFlag ? backupId : restoreId;
}

void LogSourceForm(CSyncJob &job, const CString &path)
{
    job.GetLog().LogIdAt(L"SyncJob", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_SOURCE_FORM, path.GetString());
}

void CountFileFailure(CSyncJob &job, const CString &path, DWORD error, int line)
{
    ++job.m_errorCount;
    job.GetLog().LogIdAt(L"SyncJob", line, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                         path.GetString());
    job.LogError(error, path);
}

// Copies one file source. The file was chosen by name: when it is missing or cannot be copied, that is one
// error the user sees.
void BackupFileSource(CSyncJob &job, const RunSource &source)
{
    CString target;
    if (!MakeFileSourceTarget(source.path, source.destination, job.GetJobDef()->GetDest(), target))
    {
        CountFileFailure(job, source.path, ERROR_FILENAME_EXCED_RANGE, __LINE__);
        return;
    }
    job.m_bytesTotal = job.GetJobDef()->GetFolderSizeScanner().GetTotalSize(FALSE);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!g_pfnGetFileAttributesEx(source.path, GetFileExInfoStandard, &data))
    {
        const DWORD error = ::GetLastError();
        job.m_lastCopyError = error;
        job.IsRetryableError(error);
        CountFileFailure(job, source.path, error, __LINE__);
        return;
    }
    const int errorsBefore = job.m_errorCount;
    const bool targetPresent = ::GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES;
    if (job.CopyOneFile(source.path, target))
    {
        ++job.m_filesCopied;
        if (job.m_journalFlag)
            job.GetRestoreJournal()->Queue(target, source.path);
        return;
    }
    if (IsRunStopped(job))
        return;
    // Gone between the look above and the copy: still the chosen file not backed up.
    if (job.m_errorCount == errorsBefore)
        CountFileFailure(job, source.path, job.m_lastCopyError, __LINE__);
    job.IsRetryableError(job.m_lastCopyError);
    if (targetPresent && job.m_journalFlag && ::GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES)
        job.GetRestoreJournal()->Queue(target, source.path);
}

// Backs up one folder or mail-store source; Failed ends the run.
RunEnd BackupTreeSource(CSyncJob &job, const CString &jobName, const RunSource &source, CRunFolders &folders)
{
    CString destination = source.destination;
    if (destination.IsEmpty() && !GetMailStoreDestPath(job, source.path, destination))
    {
        // The per-computer place logs its own refusal.
        ++job.m_errorCount;
        if (!job.GetJobDef()->GetRetainFullPath() || job.GetJobDef()->GetFolder2Folder())
            LogSourceForm(job, source.path);
        return RunEnd::Finished;
    }
    job.m_filtersActive = source.filtersActive ? 1 : 0;

    if (GetRunSourceKind(source.path) == RunSourceKind::MailStore)
    {
        DWORD error = BackupMailStores(job, source.element, source.path, destination);
        if (error != 0)
        {
            // The mail library reports nothing itself: the failure goes to the log and the error list here.
            ++job.m_errorCount;
            job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                                 source.path.GetString());
            job.LogError(error, source.path);
        }
        return RunEnd::Finished;
    }

    CString root = source.path;
    if (root[root.GetLength() - 1] != L'\\')
        root += L'\\';
    WIN32_FILE_ATTRIBUTE_DATA rootData;
    if (!g_pfnGetFileAttributesEx(root, GetFileExInfoStandard, &rootData))
    {
        DWORD error = ::GetLastError();
        // A place the backup never made a folder for (it held nothing then) has nothing to restore: the restore
        // says so and goes on with the other places. Without the folder that holds it, the backup itself is
        // missing: that is an error.
        if (!job.m_journalFlag && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            ::GetFileAttributesW(ParentFolder(root)) != INVALID_FILE_ATTRIBUTES)
        {
            job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_WARNING, IDS_LOG_RESTORE_NOTHING_OF_PLACE,
                                 FormatNow().GetString(), destination.GetString(), root.GetString());
            return RunEnd::Finished;
        }
        ++job.m_errorCount;
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, FolderFailureText(job, IDS_LOG_FOLDER_UNREADABLE),
                             FormatNow().GetString(), root.GetString(), GetSystemErrorText(error).GetString());
        job.LogError(error, root);
        folders.AddUnlisted(root);
        // A share that does not answer ends the run; a missing folder is this source's failure only, and the
        // other sources are still backed up.
        return job.IsRetryableError(error) ? RunEnd::Failed : RunEnd::Finished;
    }
    auto scan = std::make_unique<CBackupScan>(job, jobName, source, folders);
    int wholeTree = source.files.empty() ? 1 : 0;
    // A source folder that cannot be listed has been counted and logged by the scan: like a missing one, it
    // is this source's failure only.
    if (!scan->ScanAndCopy(job.m_fullCopy, root, root, destination, wholeTree) && IsRunStopped(job))
        return RunEnd::Failed;
    return RunEnd::Finished;
}

RunEnd RunSources(CSyncJob &job, const CString &jobName, const std::vector<RunSource> &sources, CRunFolders &folders)
{
    // A run that has nothing to copy has copied nothing: it ends with the error the user sees, never as done.
    if (sources.empty())
    {
        ++job.m_errorCount;
        LogWithTime(job, LM_ERROR, IDS_LOG_NO_SOURCE);
        return RunEnd::Finished;
    }
    for (const RunSource &source : sources)
    {
        if (job.m_cancelFlag)
            return RunEnd::Failed;
        job.m_lastCopyError = 0;
        switch (GetRunSourceKind(source.path))
        {
        case RunSourceKind::Invalid:
            ++job.m_errorCount;
            LogSourceForm(job, source.path);
            break;
        case RunSourceKind::File:
            BackupFileSource(job, source);
            break;
        case RunSourceKind::MailStore:
        case RunSourceKind::Folder:
            if (BackupTreeSource(job, jobName, source, folders) == RunEnd::Failed)
                return RunEnd::Failed;
            break;
        }
        // A destination that went away or filled up, a network error or a cancel ends the run as failed,
        // whichever source met it: a run that goes on to "finished" would keep a journal of what is not there.
        if (IsRunStopped(job))
            return RunEnd::Failed;
    }
    return RunEnd::Finished;
}

void PostEnd(CSyncJob &job, UINT message, LPARAM lParam)
{
    PostToMainWindow(message, reinterpret_cast<WPARAM>(&job), lParam);
}

void EndFailed(CSyncJob &job)
{
    if (job.m_cancelFlag)
    {
        LogWithTime(job, LM_WARNING, RunText(job, IDS_LOG_RUN_CANCELLED, IDS_LOG_RESTORE_CANCELLED));
        PostEnd(job, WM_JOB_CANCELLED, 0);
        return;
    }
    LogRunFailure(job);
    PostEnd(job, WM_JOB_FAILED, 0);
}

// The whole run but its end message. started stays false when the sources could not be read.
RunEnd RunBackup(CSyncJob &job, CRunFolders &folders, bool &started)
{
    CJobDef *def = job.GetJobDef();
    CString jobName = def->GetName();
    if (job.m_journalFlag)
    {
        job.GetRestoreJournal()->Open(jobName, 1);
        job.SetRunningFlag(TRUE);
        job.m_fullCopy = FALSE;
    }
    CFolderSizeScanner &scanner = def->GetFolderSizeScanner();
    job.m_bytesTotal = 0;
    job.m_bytesTotal = scanner.GetTotalSize(FALSE);
    if (job.m_bytesTotal == 0)
        job.m_bytesTotal = scanner.GetTotalSize(TRUE);
    job.m_bytesDone = 0;

    std::vector<RunSource> sources;
    if (!g_pfnReadRunSources(job.GetElement(), sources))
    {
        LogWithTime(job, LM_ERROR, IDS_LOG_SOURCES_UNREADABLE);
        return RunEnd::Failed;
    }
    started = true;
    return RunSources(job, jobName, sources, folders);
}

// A folder the run could not list still has its copies on the destination, from the runs before: the new
// journal goes on listing them, or a restore would offer nothing of that folder.
void KeepUnlistedRecords(CSyncJob &job, const CRunFolders &folders)
{
    if (!job.m_journalFlag || folders.GetUnlisted().empty())
        return;
    if (job.GetRestoreJournal()->KeepRecordsBelow(folders.GetUnlisted()) < 0)
        job.GetLog().LogAt(L"SyncJob", __LINE__, ::GetLastError(), LM_ERROR, L"%D %m\n");
}

} // namespace

Seam<PFN_READ_RUN_SOURCES> g_pfnReadRunSources{&ReadRunSources};

UINT FolderFailureText(const CSyncJob &job, UINT backupId)
{
    if (job.m_journalFlag)
        return backupId;
    return backupId == IDS_LOG_FOLDER_CUT_SHORT ? IDS_LOG_RESTORE_FOLDER_CUT_SHORT : IDS_LOG_RESTORE_FOLDER_UNREADABLE;
}

void LogRunFailure(CSyncJob &job)
{
    LogWithTime(job, LM_INFO, RunText(job, IDS_LOG_RUN_ENDED, IDS_LOG_RESTORE_ENDED));
    const CString dest = job.GetJobDef()->GetDest();
    if (job.m_destinationLost)
    {
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, job.m_lastCopyError, LM_ERROR,
                             RunText(job, IDS_LOG_DEST_LOST, IDS_LOG_RESTORE_BACKUP_LOST), FormatNow().GetString(),
                             dest.GetString());
    }
    else if (job.m_diskFull && !job.m_journalFlag)
    {
        // What fills up in a restore is the drive of a place, not the backup's.
        LogWithTime(job, LM_ERROR, IDS_LOG_RESTORE_DISK_FULL);
    }
    else if (job.m_diskFull)
    {
        ULONGLONG total = 0, used = 0, free = 0;
        GetPathDiskSpace(dest, total, used, free);
        job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_DISK_FULL, LM_ERROR, IDS_LOG_DISK_FULL,
                             FormatNow().GetString(), dest.GetString(), FormatSizeUnits(free).GetString());
    }
    else
    {
        LogWithTime(job, LM_INFO, IDS_LOG_DEST_MISSING);
    }
}

RunSourceKind GetRunSourceKind(LPCWSTR path)
{
    if (path == nullptr || path[0] == 0)
        return RunSourceKind::Invalid;
    CString text = path;
    if (EndsWithNoCase(text, L"pst\\"))
        return RunSourceKind::MailStore;
    if (text.GetLength() > 3 && text[text.GetLength() - 1] != L'\\')
        return RunSourceKind::File;
    return RunSourceKind::Folder;
}

BOOL ReadRunSources(IXMLDOMElement *jobElement, std::vector<RunSource> &sources)
{
    sources.clear();
    if (jobElement == nullptr)
        return FALSE;
    try
    {
        XmlDomLock hold;
        XmlElementIterator children(jobElement);
        while (children.Next())
        {
            if (children.GetName() != L"src")
                continue;
            IXMLDOMElementPtr element = children.GetElement();
            RunSource source;
            source.path = XmlGetAttributeString(element, L"path");
            source.destination = XmlGetAttributeString(element, L"destination");
            source.filtersActive = XmlGetAttributeString(element, L"rapid") != L"0";
            XmlElementIterator files(element);
            while (files.Next())
            {
                if (files.GetName() != L"file")
                    continue;
                CString file = XmlGetAttributeString(files.GetElement(), L"path");
                source.fileKeys.insert(UpperKey(file));
                source.files.push_back(file);
            }
            if (GetRunSourceKind(source.path) == RunSourceKind::MailStore)
                source.element = element;
            sources.push_back(std::move(source));
        }
    }
    catch (const _com_error &)
    {
        sources.clear();
        return FALSE;
    }
    return TRUE;
}

int FindSourceNode(const RunSource &source, LPCWSTR path)
{
    if (path == nullptr || source.fileKeys.find(UpperKey(path)) == source.fileKeys.end())
        return -1;
    for (size_t i = 0; i < source.files.size(); ++i)
    {
        if (source.files[i].CompareNoCase(path) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

BOOL MakeFileSourceTarget(const CString &source, const CString &destination, const CString &dest, CString &target)
{
    target.Empty();
    CString result;
    if (destination.IsEmpty())
    {
        if (dest.IsEmpty())
            return FALSE;
        result = JoinDestRoot(dest) + LastComponent(source);
    }
    else if (destination[destination.GetLength() - 1] == L'\\')
    {
        result = JoinDestRoot(destination) + LastComponent(source);
    }
    else
    {
        result = destination;
    }
    if (result.GetLength() >= kMaxPathChars || LastComponent(source).IsEmpty())
        return FALSE;
    target = result;
    return TRUE;
}

unsigned __stdcall RunThreadProc(void *param)
{
    CCoInitialize com(COINIT_MULTITHREADED);
    CSyncJob *job = static_cast<CSyncJob *>(param);
    if (job == nullptr)
        return 0;
    CSingleLock runLock(&job->m_runLock, TRUE);
    bool started = false;
    RunEnd end = RunEnd::Failed;
    std::unique_ptr<CRunFolders> folders;
    try
    {
        folders = std::make_unique<CRunFolders>(job->GetJobDef()->GetDest(), g_strDataFolder);
        end = RunBackup(*job, *folders, started);
    }
    catch (const _com_error &)
    {
        end = RunEnd::Failed;
    }
    catch (...)
    {
        end = RunEnd::Failed;
    }
    if (!started)
    {
        // Without its sources the run cannot go on; it still has to end, or the run queue never moves again.
        // The journal goes back to what the last run left.
        job->SetRunningFlag(FALSE);
        if (job->m_journalFlag && job->GetRestoreJournal()->GetMode() != CRestoreJournal::ModeClosed)
            job->GetRestoreJournal()->Close(1);
        PostEnd(*job, WM_JOB_FAILED, 0);
        return 0;
    }
    if (end == RunEnd::Finished)
    {
        KeepUnlistedRecords(*job, *folders);
        job->m_progressPercent = 100;
        job->m_secondPercent = 100;
        LogWithTime(*job, LM_INFO, RunText(*job, IDS_LOG_RUN_ENDED, IDS_LOG_RESTORE_ENDED));
        // Set before the message goes: once it is handled the job may be edited or removed.
        try
        {
            job->GetJobDef()->SetCompleteStatus(1);
        }
        catch (const _com_error &)
        {
        }
        PostEnd(*job, WM_JOB_FINISHED, job->m_errorCount > 0 ? 1 : 0);
    }
    else
    {
        EndFailed(*job);
    }
    return 0;
}

void InstallBackupRunThread()
{
    SyncJobWorkers workers = g_syncJobWorkers.Get();
    workers.backup = &RunThreadProc;
    g_syncJobWorkers.Exchange(workers);
}
