// Change processing: the record, its matches, and the steps every match goes through before its action.
#include "engine/changes/ChangeProcessor.h"

#include <comdef.h>

#include "engine/changes/ChangeMatch.h"
#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "engine/store/JobDef.h"
#include "engine/run/MailStoreBackup.h"
#include "engine/store/SyncJobList.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "outside/Phrasel/PhraselIds.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// Returns a borrow taken under the collection's list lock.
class JobBorrow
{
  public:
    explicit JobBorrow(CSyncJob *job) : m_job(job)
    {
    }
    ~JobBorrow()
    {
        m_job->ReleaseBorrow();
    }
    JobBorrow(const JobBorrow &) = delete;
    JobBorrow &operator=(const JobBorrow &) = delete;

  private:
    CSyncJob *m_job;
};

// The enabled on-change job with this "dest" that a run keeps busy; null when none. Under the list lock.
CSyncJob *FindRunningJob(const CSyncJobList &list, const CString &dest)
{
    for (INT_PTR i = 0; i < list.GetCount(); ++i)
    {
        CSyncJob *job = list.GetAt(i);
        CJobDef *def = job->GetJobDef();
        if (job->m_runState == JOB_BUSY && def->GetState() != 0 && def->GetJsType() == 0 &&
            def->GetDest().CompareNoCase(dest) == 0)
            return job;
    }
    return nullptr;
}

// Every path of the change lies in a folder the job never carries over (its own backup, the program's folders).
bool IsOwnFolderChange(CSyncJob &job, const FileChangeEntry &entry, const CString &counterpart)
{
    if (!IsInJobOwnFolder(job, entry.path, counterpart))
        return false;
    return entry.action != kChangeRenamed ||
           IsInJobOwnFolder(job, entry.secondPath, SiblingPath(counterpart, LastComponent(entry.secondPath)));
}

bool InSameFolder(const CString &a, const CString &b)
{
    return a.Left(a.ReverseFind(L'\\')).CompareNoCase(b.Left(b.ReverseFind(L'\\'))) == 0;
}

} // namespace

int CChangeProcessor::ProcessChangeRecord(FileChangeEntryPtr entry)
{
    JournalHold hold(*this);
    return ProcessRecord(std::move(entry), false);
}

void CChangeProcessor::OnStillLocked(FileChangeEntryPtr entry)
{
    JournalHold hold(*this);
    ProcessRecord(std::move(entry), true);
}

void CChangeProcessor::Journal(CSyncJob &job, const CString &destination, const CString &source)
{
    m_journal.push_back(JournalRecord{&job, destination, source});
}

void CChangeProcessor::FlushJournal(CSyncJob *held)
{
    std::vector<JournalRecord> records;
    records.swap(m_journal);
    IMainWindowServices *window = g_pMainDlg.load();
    CSyncJobList *list = window != nullptr ? window->GetJobList() : nullptr;
    while (list != nullptr && !records.empty())
    {
        // One job's records, in their order.
        CSyncJob *job = records.front().job;
        std::vector<std::pair<CString, CString>> pairs;
        auto others = std::stable_partition(records.begin(), records.end(),
                                            [job](const JournalRecord &record) { return record.job == job; });
        for (auto it = records.begin(); it != others; ++it)
            pairs.emplace_back(it->destination, it->source);
        std::vector<JournalRecord> mine(records.begin(), others);
        records.erase(records.begin(), others);
        // A job that has left the collection has no journal; one that a run holds gets its records after it.
        CSyncJobList::ListLock hold(*list);
        if (!list->Contains(job))
            continue;
        const bool claimed = job != held && job->TryClaimRun() != FALSE;
        if (job != held && !claimed && job->m_runState == JOB_BUSY)
        {
            m_journal.insert(m_journal.end(), mine.begin(), mine.end());
            continue;
        }
        job->GetRestoreJournal()->AppendRecords(job->GetJobDef()->GetName(), pairs);
        if (claimed)
            job->m_runState.CompareExchange(JOB_BUSY, JOB_IDLE);
    }
}

bool CChangeProcessor::DestinationThere(CSyncJob &job)
{
    constexpr ULONGLONG kStillThereMs = 1000;
    const ULONGLONG now = ::GetTickCount64();
    m_destinationsSeen.erase(std::remove_if(m_destinationsSeen.begin(), m_destinationsSeen.end(),
                                            [&](const auto &seen) { return now - seen.second >= kStillThereMs; }),
                             m_destinationsSeen.end());
    for (const auto &seen : m_destinationsSeen)
    {
        if (seen.first == &job)
            return true;
    }
    if (!job.CheckDestination(1))
        return false;
    m_destinationsSeen.emplace_back(&job, now);
    return true;
}

int CChangeProcessor::ProcessRecord(FileChangeEntryPtr entry, bool stillLocked)
{
    IMainWindowServices *window = g_pMainDlg.load();
    CSyncJobList *list = window != nullptr ? window->GetJobList() : nullptr;
    if (!entry || list == nullptr)
        return 1;
    // The program's own files (temporary copies, list files) are no change of the user's: a copy put in place
    // under its name is the addition of that name, a file taken out of sight under one is a removal.
    if (IsProgramFileName(entry->path))
    {
        if (entry->action != kChangeRenamed || IsProgramFileName(entry->secondPath))
            return 1;
        return ProcessRecord(MakeFileChangeEntry(kChangeAdded, entry->secondPath, nullptr), stillLocked);
    }
    if (entry->action == kChangeRenamed && IsProgramFileName(entry->secondPath))
        return ProcessRecord(MakeFileChangeEntry(kChangeRemoved, entry->path, nullptr), stillLocked);
    // A file moved into another folder is no rename of its copy: its old place goes, its new one comes.
    if (entry->action == kChangeRenamed && !InSameFolder(entry->path, entry->secondPath))
    {
        const int removed = ProcessChangeRecord(MakeFileChangeEntry(kChangeRemoved, entry->path, nullptr));
        const int added = ProcessChangeRecord(MakeFileChangeEntry(kChangeAdded, entry->secondPath, nullptr));
        return removed && added ? 1 : 0;
    }
    std::vector<ChangedPathMatch> matches;
    try
    {
        list->FindJobsForPath(entry->path, matches);
    }
    catch (const _com_error &error)
    {
        AppLog.LogIdAt(L"FileMon", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, IDS_LOG_CHANGE_FAILED,
                       FormatNow().GetString(), entry->path, error.ErrorMessage());
        return 1;
    }
    int result = 1;
    // Each job of the change gets it, whatever became of it for the jobs before.
    for (const ChangedPathMatch &match : matches)
    {
        if (!ProcessMatch(*list, *entry, match, stillLocked))
            result = 0;
    }
    return result;
}

bool CChangeProcessor::ProcessMatch(CSyncJobList &list, const FileChangeEntry &entry, const ChangedPathMatch &match,
                                    bool stillLocked)
{
    CSyncJob *job = nullptr;
    // A run of the job may have passed the file's folder already: a job busy with one is owed another.
    const LPCWSTR kept = entry.action == kChangeRenamed ? entry.secondPath : entry.path;
    try
    {
        // The job's own backup and log and the program are no change of the user's: nothing is done, and no run
        // is owed for them, or every run would call for the next one.
        if (match.job != nullptr && IsOwnFolderChange(*match.job, entry, match.copyPath))
            return true;
        CSyncJobList::ListLock hold(list);
        job = list.IsPathInJob(entry.path, entry.secondPath, match.root, match.job);
        if (job == nullptr)
        {
            CSyncJob *running = FindRunningJob(list, match.root);
            if (running != nullptr && PassesJobFilters(*running, kept))
                OweRun(running, RunWhen::Idle);
            return true;
        }
        job->AddBorrow();
    }
    catch (const _com_error &)
    {
        return true;
    }
    JobBorrow borrow(job);
    if (match.copyPath.IsEmpty())
    {
        // Nowhere to put the change: the user hears why, and a run takes the file up with the errors of its own.
        job->GetLog().LogIdAt(L"FileMon", __LINE__, match.pathError, LM_ERROR, IDS_LOG_CHANGE_NOT_MATCHED,
                              FormatNow().GetString(), kept, GetSystemErrorText(match.pathError).GetString());
        OweRun(job, RunWhen::Idle);
        return true;
    }
    ChangeMatch current{*job,           *job->GetJobDef(),  entry.action,  entry.path, entry.secondPath,
                        match.copyPath, match.revisionPath, VssCopyBatch()};
    current.revisionError = match.pathError;
    current.stillLocked = stillLocked;
    if (!job->TryClaimRun())
    {
        if (job->m_runState == JOB_BUSY && PassesJobFilters(*job, kept))
            OweRun(job, RunWhen::Idle);
        return true;
    }
    MatchEnd end = MatchEnd::Skipped;
    try
    {
        end = RunMatch(current);
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogIdAt(L"FileMon", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, IDS_LOG_CHANGE_FAILED,
                              FormatNow().GetString(), entry.path, error.ErrorMessage());
    }
    FinishMatch(current, end);
    if (end == MatchEnd::DestinationMissing &&
        std::find(m_destinationMissingShown.begin(), m_destinationMissingShown.end(), job) ==
            m_destinationMissingShown.end())
    {
        // Shown with the job back to idle: the user may take a while to answer.
        m_destinationMissingShown.push_back(job);
        SkinMessageBoxId(IDS_DEST_MISSING_FOR_CHANGES, MB_OK);
    }
    return end != MatchEnd::FolderCopyFailed;
}

CChangeProcessor::MatchEnd CChangeProcessor::RunMatch(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (match.path.Right(4) == L".pst")
    {
        if (IXMLDOMElementPtr source = MatchSourceNode(job, match.path))
        {
            job.m_refreshFlag = TRUE;
            CString destination = match.counterpart;
            if (destination.IsEmpty())
                GetMailStoreDestPath(job, match.path, destination);
            const DWORD error = BackupMailStores(job, source, match.path, destination);
            if (error != 0)
                job.LogError(error, match.path);
            return MatchEnd::Done;
        }
    }

    // What the program keeps beside a two-way job's files, and the job's own backup and the program's folders,
    // are never carried over: a file renamed out of them is new, one renamed into them is gone.
    const auto passedOver = [&](const CString &path, const CString &counterpart) {
        return IsInProgramFolder(job, path) || IsInJobOwnFolder(job, path, counterpart);
    };
    if (passedOver(match.path, match.counterpart))
    {
        if (match.action != kChangeRenamed ||
            passedOver(match.secondPath, SiblingPath(match.counterpart, LastComponent(match.secondPath))))
            return MatchEnd::Skipped;
        BecomeAdded(match);
    }
    else if (match.action == kChangeRenamed &&
             passedOver(match.secondPath, SiblingPath(match.counterpart, LastComponent(match.secondPath))))
        BecomeRemoved(match);

    if (!IsFolderPath(match.path) && (match.secondPath.IsEmpty() || !IsFolderPath(match.secondPath)) &&
        !PassesJobFilters(job, match.path))
    {
        // A file that becomes one the job keeps (x.tmp renamed to x.docx) is new to the job.
        if (match.action != kChangeRenamed || !PassesJobFilters(job, match.secondPath))
            return MatchEnd::Skipped;
        BecomeAdded(match);
    }

    if (def.GetDestAgent() == 0 && def.GetDestNet() == 0 && !DestinationThere(job))
    {
        if (IMainWindowServices *window = g_pMainDlg.load())
        {
            window->ReportError(&job, 0, 1);
            window->UpdateJob(&def);
        }
        OweRun(&job, RunWhen::DestinationBack);
        return MatchEnd::DestinationMissing;
    }

    if (match.stillLocked)
        return HandOverLocked(match);
    const bool twoWay = def.GetSyncType() == 2;
    switch (match.action)
    {
    case kChangeAdded:
    case kChangeModified:
        return twoWay ? TwoWayChanged(match) : OnAdded(match);
    case kChangeRemoved:
        return twoWay ? TwoWayRemoved(match) : OnRemoved(match);
    case kChangeRenamed:
        return twoWay ? TwoWayRenamed(match) : OnRenamed(match);
    default:
        return MatchEnd::Done;
    }
}

void CChangeProcessor::FinishMatch(ChangeMatch &match, MatchEnd end)
{
    CSyncJob &job = match.job;
    // The batch goes with this job's own maxver, before the job is idle again.
    // What the snapshot could not copy either (a target another program holds) is left to a run.
    if (!HandOverBatch(match))
        OweRun(&job, RunWhen::Idle);
    // A job disabled meanwhile stays disabled.
    job.m_runState.CompareExchange(JOB_BUSY, JOB_IDLE);
    try
    {
        if (end == MatchEnd::Done || end == MatchEnd::FolderCopyFailed)
            match.def.SetNeverRun(FormatNow());
    }
    catch (const _com_error &)
    {
        // The store refused the time; the change itself is done.
    }
    if (job.m_refreshFlag)
    {
        if (IMainWindowServices *window = g_pMainDlg.load())
            window->UpdateJob(&match.def);
        job.m_refreshFlag = FALSE;
    }
}
