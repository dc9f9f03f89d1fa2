// The end of a run beyond the window's faces: what every end does to its job and the job store, whoever started
// the run, and how a run that stopped tells the user why.
#pragma once
#include <windows.h>

#include "app/run/RunRoadRules.h"
#include "platform/text/String.h"

class CSyncJob;
class CSyncJobList;

// What the end of every run does, for a run the window started as much as for the schedule's, the watch's and
// the one-shot start's: the run queue hears of it (onlyWaiting: a waiting job taken out of the queue, which had no
// run), the journal is closed (the new one kept after a finished run, the previous one put back otherwise), the
// job's running bit goes, the end-of-run reset stamps "neverrun", a backup the window followed (countBackup)
// counts one backup more, and the store is saved, so that the next start finds every run. S_OK, or the error of
// the save that failed (the store is then left as it was last saved).
HRESULT RecordRunEnd(CSyncJobList &jobs, CSyncJob &job, RunEnd end, bool onlyWaiting, bool countBackup);

// Why a run stopped, as its log tells it.
enum class RunStopCause
{
    DestinationLost,    // the destination went away during the run
    DiskFull,           // the destination filled up
    Network,            // a network error ended the run
    DestinationMissing, // the destination could not be found when the run was to start
    Other,
};
// The run's flags, in the order the log names them; destinationPresent: the job's destination is there now.
RunStopCause GetRunStopCause(BOOL destinationLost, BOOL diskFull, BOOL networkRetry, BOOL destinationPresent);
// The cause's text in the language library.
UINT RunStopTextId(RunStopCause cause);
// What the end box says: the cause, then the system's text of the run's own last error (when it has one).
CString RunStopText(RunStopCause cause, DWORD lastError);
