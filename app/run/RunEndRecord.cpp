#include "app/run/RunEndRecord.h"

#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

HRESULT RecordRunEnd(CSyncJobList &jobs, CSyncJob &job, RunEnd end, bool onlyWaiting, bool countBackup)
{
    GetJobDeque().OnJobFinished(&job, onlyWaiting);
    job.GetRestoreJournal()->Close(end == RunEnd::Finished ? 0 : 1);
    job.SetRunningFlag(FALSE);
    job.OnRunFinished();
    if (countBackup)
        job.IncrementBackupCount();
    try
    {
        jobs.Save();
    }
    catch (const _com_error &error)
    {
        return error.Error();
    }
    return S_OK;
}

RunStopCause GetRunStopCause(BOOL destinationLost, BOOL diskFull, BOOL networkRetry, BOOL destinationPresent)
{
    if (destinationLost)
        return RunStopCause::DestinationLost;
    if (diskFull)
        return RunStopCause::DiskFull;
    if (networkRetry)
        return RunStopCause::Network;
    if (!destinationPresent)
        return RunStopCause::DestinationMissing;
    return RunStopCause::Other;
}

UINT RunStopTextId(RunStopCause cause)
{
    switch (cause)
    {
    case RunStopCause::DestinationLost:
        return IDS_RUN_STOPPED_DEST_LOST;
    case RunStopCause::DiskFull:
        return IDS_RUN_STOPPED_DISK_FULL;
    case RunStopCause::Network:
        return IDS_RUN_STOPPED_NETWORK;
    case RunStopCause::DestinationMissing:
        return IDS_RUN_STOPPED_DEST_MISSING;
    case RunStopCause::Other:
        break;
    }
    return IDS_RUN_STOPPED_OTHER;
}

CString RunStopText(RunStopCause cause, DWORD lastError)
{
    CString text = AfxLoadText(RunStopTextId(cause));
    const CString reason = lastError != 0 ? GetSystemErrorText(lastError) : CString();
    if (!reason.IsEmpty())
        text += L"\r\n" + reason;
    return text;
}
