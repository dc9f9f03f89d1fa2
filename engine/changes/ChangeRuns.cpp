// Change processing: the runs owed to jobs whose changes could not all be followed one by one.
#include <algorithm>

#include "engine/changes/ChangeProcessor.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/store/PathMatch.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

// The job watches the path: one of its watched folders is the path or lies above it.
bool WatchesPath(CSyncJob &job, const CString &path)
{
    for (const CString &folder : GetJobWatchedFolders(job))
    {
        if (CutTrailingBackslashes(folder).CompareNoCase(CutTrailingBackslashes(path)) == 0 ||
            CSyncJobList::IsPathBelow(folder, path))
            return true;
    }
    return false;
}

bool HasRoom(const CString &dest)
{
    ULARGE_INTEGER available = {};
    return g_pfnGetDiskFreeSpaceEx(dest, &available, nullptr, nullptr) && available.QuadPart != 0;
}

} // namespace

void CChangeProcessor::OweRun(CSyncJob *job, RunWhen when)
{
    for (OwedRun &owed : m_owed)
    {
        if (owed.job == job)
        {
            // Waiting for the destination or for room covers waiting for the job to be idle.
            if (owed.when == RunWhen::Idle)
                owed.when = when;
            return;
        }
    }
    m_owed.push_back(OwedRun{job, when});
}

void CChangeProcessor::OnLostChanges(DWORD error, LPCWSTR path)
{
    const CString where(path != nullptr ? path : L"");
    const UINT id = error == ERROR_NOTIFY_ENUM_DIR ? IDS_LOG_CHANGES_LOST : IDS_LOG_WATCH_ENDED;
    AppLog.LogIdAt(L"FileMon", __LINE__, error, LM_WARNING, id, FormatNow().GetString(), where.GetString());
    IMainWindowServices *window = g_pMainDlg.load();
    CSyncJobList *list = window != nullptr ? window->GetJobList() : nullptr;
    if (list == nullptr || where.IsEmpty())
        return;
    try
    {
        CSyncJobList::ListLock hold(*list);
        for (INT_PTR i = 0; i < list->GetCount(); ++i)
        {
            CSyncJob *job = list->GetAt(i);
            CJobDef *def = job->GetJobDef();
            if (def->GetJsType() != 0 || def->GetState() == 0 || !WatchesPath(*job, where))
                continue;
            job->GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_WARNING, id, FormatNow().GetString(),
                                  where.GetString());
            // The watch has gone: the schedule watches the job's folders again.
            if (error != ERROR_NOTIFY_ENUM_DIR)
                job->m_watchFlag = FALSE;
            OweRun(job, RunWhen::Idle);
        }
    }
    catch (const _com_error &)
    {
        // A job whose sources cannot be read watches nothing that could be named here.
    }
}

void CChangeProcessor::RequestOwedRuns()
{
    IMainWindowServices *window = g_pMainDlg.load();
    CSyncJobList *list = window != nullptr ? window->GetJobList() : nullptr;
    if (list == nullptr || m_owed.empty())
        return;
    struct Candidate
    {
        CSyncJob *job;
        RunWhen when;
        CString dest;
    };
    std::vector<Candidate> candidates;
    {
        CSyncJobList::ListLock hold(*list);
        std::vector<OwedRun> still;
        for (const OwedRun &owed : m_owed)
        {
            if (!list->Contains(owed.job) || owed.job->m_runState == JOB_DISABLED ||
                owed.job->GetJobDef()->GetState() == 0)
            {
                m_destinationMissingShown.erase(
                    std::remove(m_destinationMissingShown.begin(), m_destinationMissingShown.end(), owed.job),
                    m_destinationMissingShown.end());
                continue;
            }
            still.push_back(owed);
            if (owed.job->m_runState == JOB_IDLE)
                candidates.push_back(Candidate{owed.job, owed.when, owed.job->GetJobDef()->GetDest()});
        }
        m_owed.swap(still);
    }
    // The destination is looked at without the list lock: a drive that went away may take a while to answer.
    std::vector<CSyncJob *> ready;
    for (const Candidate &candidate : candidates)
    {
        if ((candidate.when == RunWhen::DestinationBack &&
             ::GetFileAttributesW(candidate.dest) == INVALID_FILE_ATTRIBUTES) ||
            (candidate.when == RunWhen::RoomAgain && !HasRoom(candidate.dest)))
            continue;
        ready.push_back(candidate.job);
    }
    if (ready.empty())
        return;
    CSyncJobList::ListLock hold(*list);
    for (CSyncJob *job : ready)
    {
        if (!list->Contains(job) || job->m_runState != JOB_IDLE)
            continue;
        window->RequestRun(job);
        m_owed.erase(
            std::remove_if(m_owed.begin(), m_owed.end(), [job](const OwedRun &owed) { return owed.job == job; }),
            m_owed.end());
        // The destination is back: a later absence is shown again.
        m_destinationMissingShown.erase(
            std::remove(m_destinationMissingShown.begin(), m_destinationMissingShown.end(), job),
            m_destinationMissingShown.end());
    }
}
