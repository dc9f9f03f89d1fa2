#include "app/run/RunStopText.h"

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

RunStopCause GetRunStopCause(BOOL destinationLost, BOOL diskFull, BOOL networkRetry, BOOL destinationPresent,
                             int destinationRefused)
{
    if (destinationRefused == DEST_REFUSED_TWO_WAY_PLACE)
        return RunStopCause::DestinationRefused;
    if (destinationRefused == DEST_REFUSED_NOT_OWN_DRIVE)
        return RunStopCause::DestinationMissing;
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

UINT RunStopTextId(RunStopCause cause, bool restore)
{
    if (restore)
    {
        switch (cause)
        {
        case RunStopCause::DestinationLost:
            return IDS_RESTORE_STOPPED_PLACE_LOST;
        case RunStopCause::DiskFull:
            return IDS_RESTORE_STOPPED_DISK_FULL;
        case RunStopCause::Network:
            return IDS_RESTORE_STOPPED_NETWORK;
        case RunStopCause::DestinationMissing:
            return IDS_RESTORE_STOPPED_BACKUP_MISSING;
        case RunStopCause::DestinationRefused: // a restore's backup is never refused as a two-way place
        case RunStopCause::Other:
            break;
        }
        return IDS_RESTORE_STOPPED_OTHER;
    }
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
    case RunStopCause::DestinationRefused:
        return IDS_RUN_STOPPED_DEST_REFUSED;
    case RunStopCause::Other:
        break;
    }
    return IDS_RUN_STOPPED_OTHER;
}

CString RunStopText(RunStopCause cause, DWORD lastError, bool restore)
{
    CString text = AfxLoadText(RunStopTextId(cause, restore));
    const CString reason = lastError != 0 ? GetSystemErrorText(lastError) : CString();
    if (!reason.IsEmpty())
        text += L"\r\n" + reason;
    return text;
}
