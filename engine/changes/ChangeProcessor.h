// Change processing: turns one settled change record into work for every on-change job that covers the changed
// path (CSyncJobList::FindJobsForPath), at once and outside the run queue: copies (with a revision of the
// copy it replaces and a journal record), deletes, renames, and keeps the two-way jobs' list files. It runs on
// the thread of CFileMonOperation, one record at a time, while run threads of other jobs may copy.
//
// Per matching job (a "match"), each with the job FindJobsForPath found for it:
//   - the job is borrowed under the collection's list lock (IsPathInJob), so RemoveJob waits for the match,
//     and claimed idle to busy in one step (CSyncJob::TryClaimRun). A job that is busy with a run is owed a
//     run once it is idle (the change may have come after the run passed its folder); a disabled job is left
//     alone; either way the next job goes on. A match whose paths could not be made (a path too long) is
//     logged, and the job is owed a run;
//   - the program's own files are left alone: temporary copies and list files, and for a two-way job its
//     "Revision" and "Recycled" folders on both sides; so are the job's own destination (when the change would go
//     there too), the program's data folder and program folder, and for a two-way job every other job's
//     destination (OwnFolders.h), and no run is owed for a change there;
//   - a file that the job's filters leave out (IsExcludedFile, the job's extension filters when its source's
//     "rapid" is not "0") goes no further for that job; a renamed file whose old name was left out is handled
//     as added under its new name when that passes;
//   - a job whose destination cannot be found logs it (ReportError) and is owed a run once it is back; box 205
//     shows once per absence;
//   - a copy over a file, or a deletion, goes ahead only once the file's earlier version is kept as a revision
//     (or the job keeps none); a revision that cannot be made (from a snapshot either) counts one error, is
//     logged and leaves the file as it is; with a full destination the file is left (logged) and the job is
//     owed a run once there is room;
//   - a one-way job (ChangeActions.cpp): added or modified, a folder whose copy is missing is copied whole
//     (CopyFolder), a file over its copy (CopyFileViaTemp; a copy that fails goes to the snapshot batch);
//     removed, with autodel the copy is deleted (or recycled) while the file is still absent (an Office save,
//     removed and made again, leaves it); renamed, the copy is renamed when it is the copy of the renamed file
//     and nothing holds the new name, else the new name is copied and the old name removed;
//   - a two-way job (ChangeTwoWay.cpp): every record is a question put to the disk as it stands: the pair of
//     the changed or removed name, or for a rename the pairs of both names, is reconciled by the rules of the
//     pass (ReconcilePair), so the program's own changes on the watched destination, which come back as
//     records, find their pair in step and do nothing. A removal whose file is back, and a pair whose other
//     side still settles, are left to the record that is still to come. A rename is carried over as a rename
//     only when the old name's counterpart is the copy of the renamed file and nothing holds the new name; a
//     chain of renames (ProcessRenames) is carried over whole as its end state, or, when that cannot be worked
//     out, logged as a conflict and left as it is: the user's files are never overwritten by the other side's
//     copies of other names;
//   - a record whose file stayed locked (OnStillLocked) gets the revision of its copy, and its copy is handed to
//     the deferred-copy queue (CFileCopyingQueue), logged once;
//   - at its end the snapshot batch goes to the agent with the job's own maxver, the job is idle again, its
//     "neverrun" is now and its line is repainted when it changed.
//
// Changes that could not be seen one by one (an overflowing or ended watch, a record that could not be passed
// on) are logged as warnings, in the program's log and in the log of each enabled on-change job watching the
// folder, and those jobs are owed a run; an ended watch also clears the job's watch flag, so that the schedule
// watches the folder again. Owed runs are asked of the main window (RequestRun) once the job is idle.
#pragma once
#include <windows.h>

#include <functional>
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
    // A record whose file stays locked: its copy goes to the deferred-copy queue.
    void OnStillLocked(FileChangeEntryPtr entry);
    // Renames that arrived together (the settle list holds them for a moment), in their order. Renames linked by
    // their names (a swap: a to t, b to a, t to b) are one chain, which a two-way job repeats on the other side
    // as the chain's end state (ChangeRenameChain.cpp); every other rename goes on alone, as it came.
    void ProcessRenames(std::vector<FileChangeEntryPtr> renames);
    // Tells whether a record of a path still settles; none: nothing does.
    void SetPendingTest(std::function<bool(LPCWSTR path)> test)
    {
        m_isPending = std::move(test);
    }

    // Changes under path were lost (error 1022), or the watch of the folder path ended with error.
    void OnLostChanges(DWORD error, LPCWSTR path);
    // Asks the main window to run each owed job that is idle now (and whose destination is back, or has room,
    // when it waits for that). Owed jobs that left the collection or were disabled are dropped.
    void RequestOwedRuns();
    bool HasOwedRuns() const
    {
        return !m_owed.empty();
    }
    // Journal records wait for a job that a run holds (see JournalHold): a later tick writes them.
    bool HasWaitingJournal() const
    {
        return !m_journal.empty();
    }

    // The journal records of the changes handled while a hold lives are written together when the last hold
    // goes (one rewrite of a job's journal for many copies); without a hold each record's are written at its
    // end.
    class JournalHold
    {
      public:
        explicit JournalHold(CChangeProcessor &processor) : m_processor(processor)
        {
            ++m_processor.m_journalHolds;
        }
        ~JournalHold()
        {
            if (--m_processor.m_journalHolds == 0)
                m_processor.FlushJournal();
        }
        JournalHold(const JournalHold &) = delete;
        JournalHold &operator=(const JournalHold &) = delete;

      private:
        CChangeProcessor &m_processor;
    };

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

    class RevisionKeeper;
    // The chain whose records are being processed: each renamed name's step, in order, and the two-way jobs that
    // have repeated it already.
    struct RenameChain
    {
        std::vector<std::pair<CString, CString>> steps;
        std::vector<CSyncJob *> repeated;
    };

    int ProcessRecord(FileChangeEntryPtr entry, bool stillLocked);
    bool ProcessMatch(CSyncJobList &list, const FileChangeEntry &entry, const ChangedPathMatch &match,
                      bool stillLocked);
    MatchEnd RunMatch(ChangeMatch &match);
    // Room on a full destination: Done when the file must wait for it, else Skipped (go on).
    MatchEnd CheckRoom(ChangeMatch &match);
    MatchEnd OnAdded(ChangeMatch &match);
    // copyLivesOn: the removal is a rename's, whose copy under the new name holds the removed copy's bytes.
    MatchEnd OnRemoved(ChangeMatch &match, bool copyLivesOn = false);
    MatchEnd OnRenamed(ChangeMatch &match);
    // Copies the file over its counterpart; the copy's task result.
    int CopyOver(ChangeMatch &match);
    // Two-way jobs.
    MatchEnd TwoWayChanged(ChangeMatch &match);
    MatchEnd TwoWayRemoved(ChangeMatch &match);
    MatchEnd TwoWayRenamed(ChangeMatch &match);
    // The chain of the record's rename, repeated on the match's other side: Done when it was (or could not be,
    // the names then logged as a conflict and left as they are).
    MatchEnd RepeatChain(ChangeMatch &match, RenameChain &chain);
    // A chain that cannot be repeated: its names are logged as a conflict and left as they are.
    void LeaveChain(ChangeMatch &match, const RenameChain &chain, const CString &here, const CString &there);
    // Reconciles the pair a, b (a folder pair that was one-sided is walked as the pass walks it); the task
    // result of its copy.
    int ReconcileMatchPair(ChangeMatch &match, const CString &a, const CString &b);
    // A record of the pair's other side still settles: that record will reconcile the pair.
    bool LeftToOtherRecord(const CString &counterpart) const;
    MatchEnd HandOverLocked(ChangeMatch &match);
    // Keeps file's earlier version at revision before it is replaced, or deleted as removed was. TRUE when it
    // may go (kept, or nothing to keep); FALSE leaves it, the failure counted and logged (why: the error when
    // revision is empty).
    bool KeepRevision(ChangeMatch &match, const CString &file, const CString &revision, DWORD why,
                      const CString &removed = CString());
    // Before a one-way job deletes the copy of a removed file or folder: every file of it kept as a revision (or
    // the job keeps none). FALSE leaves the copy, the failure counted and logged.
    bool KeepRemovedCopy(ChangeMatch &match);
    bool KeepFolderRevisions(ChangeMatch &match, const CString &folder, const CString &removed);
    void FinishMatch(ChangeMatch &match, MatchEnd end);
    // The job's disk is full: the file waits for a run once there is room again.
    MatchEnd LeaveForFullDisk(ChangeMatch &match);
    void OweRun(CSyncJob *job, RunWhen when);
    // Records {destination, source} for the job's restore journal (see JournalHold).
    void Journal(CSyncJob &job, const CString &destination, const CString &source);
    // held: a job this thread has claimed (its match is under way).
    void FlushJournal(CSyncJob *held = nullptr);
    // The job's destination is there (CSyncJob::CheckDestination); a destination found a moment ago is taken as
    // still there, so that a burst of changes looks for it once.
    bool DestinationThere(CSyncJob &job);

    std::function<bool(LPCWSTR path)> m_isPending;
    RenameChain *m_chain = nullptr;
    struct JournalRecord
    {
        CSyncJob *job;
        CString destination;
        CString source;
    };
    std::vector<JournalRecord> m_journal;
    int m_journalHolds = 0;
    std::vector<std::pair<CSyncJob *, ULONGLONG>> m_destinationsSeen;
    std::vector<OwedRun> m_owed;
    // Jobs whose missing destination was shown in box 205: once per absence.
    std::vector<CSyncJob *> m_destinationMissingShown;
};
