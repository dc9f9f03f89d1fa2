// Change processing: turns one settled change record into work for every on-change job that covers the changed
// path (CSyncJobList::FindJobsForPath), at once and outside the run queue: copies (with a revision of the
// copy it replaces and a journal record), deletes, renames, and keeps the two-way jobs' list files. It runs on
// the thread of CFileMonOperation, one record at a time, while run threads of other jobs may copy.
//
// Per matching job (a "match"):
//   - the job is borrowed under the collection's list lock (IsPathInJob), so RemoveJob waits for the match,
//     and claimed idle to busy in one step (CSyncJob::TryClaimRun). A job that is busy with a run is owed a
//     run once it is idle (the change may have come after the run passed its folder); a disabled job is left
//     alone; either way the next job goes on;
//   - a file that the job's filters leave out (IsExcludedFile, the job's extension filters when its source's
//     "rapid" is not "0") goes no further for that job; a renamed file whose old name was left out is handled
//     as added under its new name when that passes;
//   - a job whose destination cannot be found logs it (ReportError) and is owed a run once it is back; box 205
//     shows once per absence;
//   - added or modified: a folder whose copy is missing is copied whole (CopyFolder); a file's old copy is kept
//     as a revision, then the file is copied over it (CopyFileViaTemp; ReconcilePair for a two-way job); a copy
//     that fails goes to the snapshot batch; an old copy whose revision cannot be made, from a snapshot either,
//     stays as it is (logged); with a full destination the file is left (logged) and the job is owed a run once
//     there is room;
//   - removed: with autodel the copy is deleted (or recycled); a two-way job keeps the copy as a revision first
//     and deletes it only when that worked; an Office save (removed and made again) copies the new file;
//   - renamed: the copy is renamed in its folder (the journal follows); without a copy the new name is
//     handled as added;
//   - at its end the snapshot batch goes to the agent with the job's own maxver, the job is idle again, its
//     "neverrun" is now and its line is repainted when it changed.
//
// Changes that could not be seen one by one (an overflowing or ended watch, a record that could not be passed
// on) are logged as warnings, in the program's log and in the log of each enabled on-change job watching the
// folder, and those jobs are owed a run; an ended watch also clears the job's watch flag, so that the schedule
// watches the folder again. Owed runs are asked of the main window (RequestRun) once the job is idle.
#pragma once
#include <windows.h>

#include <vector>

#include "engine/changes/FileChangeEntry.h"
#include "platform/text/String.h"

class CSyncJob;
class CSyncJobList;
struct ChangedPathMatch;
struct ChangeMatch;

class CChangeProcessor
{
  public:
    CChangeProcessor() = default;
    CChangeProcessor(const CChangeProcessor &) = delete;
    CChangeProcessor &operator=(const CChangeProcessor &) = delete;

    // 1 when the record was handled (also when nothing was to be done), 0 when an added folder could not be
    // copied whole. Nothing happens while there is no main window.
    int ProcessChangeRecord(FileChangeEntryPtr entry);

    // Changes under path were lost (error 1022), or the watch of the folder path ended with error.
    void OnLostChanges(DWORD error, LPCWSTR path);
    // Asks the main window to run each owed job that is idle now (and whose destination is back, or has room,
    // when it waits for that). Owed jobs that left the collection or were disabled are dropped.
    void RequestOwedRuns();
    bool HasOwedRuns() const
    {
        return !m_owed.empty();
    }

  private:
    enum class RunWhen
    {
        Idle,
        DestinationBack,
        RoomAgain,
    };
    struct OwedRun
    {
        CSyncJob *job;
        RunWhen when;
    };
    enum class MatchEnd
    {
        Skipped,            // nothing done: the job only goes back to idle
        Done,               // the end of a match: idle, "neverrun" now, repainted
        FolderCopyFailed,   // as Done, and the record's result is 0
        DestinationMissing, // as Skipped, and box 205 may show
    };

    bool ProcessMatch(CSyncJobList &list, const FileChangeEntry &entry, const ChangedPathMatch &match);
    MatchEnd RunMatch(ChangeMatch &match);
    MatchEnd OnAdded(ChangeMatch &match);
    MatchEnd OnRemoved(ChangeMatch &match);
    MatchEnd OnRenamed(ChangeMatch &match);
    // Copies the file over its counterpart (or reconciles the pair); the copy's task result.
    int CopyOver(ChangeMatch &match);
    void FinishMatch(ChangeMatch &match, MatchEnd end);
    // The job's disk is full: the file waits for a run once there is room again.
    MatchEnd LeaveForFullDisk(ChangeMatch &match);
    void OweRun(CSyncJob *job, RunWhen when);

    std::vector<OwedRun> m_owed;
    // Jobs whose missing destination was shown in box 205: once per absence.
    std::vector<CSyncJob *> m_destinationMissingShown;
};
