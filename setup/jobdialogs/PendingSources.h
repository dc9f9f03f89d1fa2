// Adding the main window's pending source paths ("--select") to an existing job: the OK of the job selection
// dialog. Each path is checked against the job's sources and destination and added when it is acceptable; the
// first refused path ends the walk and drops the rest (what was added before stays and is saved).
#pragma once
#include <windows.h>

#include "platform/text/Collections.h"

class CSyncJob;
class IMainWindowServices;

struct PendingSourcesResult
{
    // A path was added to the job's sources.
    BOOL changed = FALSE;
    // The string that refused a path (436 not a folder for a mirror job, 440 the destination's), 0 when none was.
    UINT refusedWith = 0;
    // The job store was saved.
    BOOL saved = FALSE;
    // The job was asked to run (it changed and is enabled).
    BOOL queued = FALSE;
};

// For each pending path in order: a mirror job (sync type 2) takes only existing folders (436); a path that is one
// of the job's sources or lies below one is passed over; a path that is the destination, holds it, or lies inside
// it while the job does not keep full paths is refused (440), and so, for a two-way job, is a path that meets the
// program's folder, its data folder or another job's destination (FindTwoWayPlaceClash); any other path becomes a
// source whose files are all taken (a folder as its own "src", a file under a "src" of its folder). A refusal empties
// the pending list. Then the store is saved and, when the job changed, its line repainted and an enabled job run
// (RunJobNow(job, 1)).
PendingSourcesResult AddPendingSources(CSyncJob &job, CStringArray &pending, IMainWindowServices &services);
