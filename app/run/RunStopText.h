// How a run that stopped tells the user why: the cause its log gives, in the end box and the tray balloon.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// Why a run stopped, as its log tells it.
enum class RunStopCause
{
    DestinationLost,    // the destination went away during the run
    DiskFull,           // the destination filled up
    Network,            // a network error ended the run
    DestinationMissing, // the destination could not be found when the run was to start
    DestinationRefused, // a two-way destination that holds the program's files or another job's backup
    Other,
};
// The run's flags, in the order the log names them; destinationPresent: the job's destination is there now;
// destinationRefused: why the look before the run refused it (DEST_REFUSED_*): a folder on another drive that
// took the destination's letter counts as no destination.
RunStopCause GetRunStopCause(BOOL destinationLost, BOOL diskFull, BOOL networkRetry, BOOL destinationPresent,
                             int destinationRefused);
// The cause's text in the language library; a restore's speaks of a restore, whose "destination" is its backup.
UINT RunStopTextId(RunStopCause cause, bool restore = false);
// What the end box says: the cause, then the system's text of the run's own last error (when it has one).
CString RunStopText(RunStopCause cause, DWORD lastError, bool restore = false);
