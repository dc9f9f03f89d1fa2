// Change processing for a two-way job: each record is a question put to the disk, answered by the pair
// reconciliation of the pass (ReconcilePair), with the copy a reconciliation replaces or deletes kept as a
// revision first. A record of a file that stays locked hands its copy to the deferred-copy queue.
#include "engine/changes/ChangeMatch.h"
#include "engine/changes/ChangeProcessor.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/continuous/Reconcile.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/AppPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/store/PathMatch.h"
#include "engine/task/SyncTask.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "outside/Phrasel/PhraselIds.h"

// The revision step the reconciliation asks before it replaces or deletes a file of the match's job.
class CChangeProcessor::RevisionKeeper : public IReplaceGuard
{
  public:
    RevisionKeeper(CChangeProcessor &processor, ChangeMatch &match) : m_processor(processor), m_match(match)
    {
    }
    bool BeforeReplace(const CString &file, const CString &removed) override
    {
        CString revision;
        DWORD why = 0;
        if (!MakeFileRevisionPath(m_match.job, file, revision))
            why = ::GetLastError();
        return m_processor.KeepRevision(m_match, file, revision, why, removed);
    }

  private:
    CChangeProcessor &m_processor;
    ChangeMatch &m_match;
};

namespace
{

CString WithBackslash(const CString &path)
{
    return path.Right(1) == L"\\" ? path : path + L"\\";
}

} // namespace

bool CChangeProcessor::LeftToOtherRecord(const CString &counterpart) const
{
    return m_isPending && m_isPending(counterpart);
}

int CChangeProcessor::ReconcileMatchPair(ChangeMatch &match, const CString &a, const CString &b)
{
    CSyncJob &job = match.job;
    const bool walk = IsFolderPath(a) ? !PathExists(b) : IsFolderPath(b) && !PathExists(a);
    RevisionKeeper keeper(*this, match);
    DWORD direction = 1;
    if (ReconcilePair(job, a, b, direction, &keeper))
    {
        // A folder the pair has only now on both sides gets its files as a pass gives them.
        if (walk && IsFolderPath(a) && IsFolderPath(b))
        {
            const bool aIsSource = IsInJobSource(job, a);
            PassAgainstListFile(job, WithBackslash(aIsSource ? a : b), WithBackslash(aIsSource ? b : a), match.batch,
                                match.def.GetMaxVer() != 0);
        }
        return TASK_DONE;
    }
    const DWORD error = job.m_lastCopyError;
    if (error == ERROR_DISK_FULL)
        return TASK_DISK_FULL;
    if (error == 0)
    {
        // The pair could not even be looked at (a list file held, a folder without access): a run takes it up.
        OweRun(&job, RunWhen::Idle);
        return TASK_FAILED;
    }
    const CString &from = direction != 0 ? a : b, &to = direction != 0 ? b : a;
    // The copy the snapshot's copy replaces is kept from the snapshot first (a version kept already is not kept
    // again, should the file stay held).
    CString revision;
    if (match.def.GetMaxVer() != 0 && PathExists(to) && !IsFolderPath(to) && !IsInRevisionFolder(job, to) &&
        (!MakeFileRevisionPath(job, to, revision) || !AddVssCopyItem(&job, match.batch, 1, to, revision)))
    {
        // Nothing is replaced without its revision: a run takes the pair up and says why.
        OweRun(&job, RunWhen::Idle);
        return TASK_FAILED;
    }
    AddVssCopyItem(&job, match.batch, 0, from, to);
    return TASK_FAILED;
}

CChangeProcessor::MatchEnd CChangeProcessor::TwoWayChanged(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    if (IsExcludedFile(match.path) || CheckRoom(match) == MatchEnd::Done)
        return MatchEnd::Done;
    // Gone since: its removal is a record of its own.
    if (!PathExists(match.path) || LeftToOtherRecord(match.counterpart))
        return MatchEnd::Done;
    if (match.def.GetDestAgent() != 0)
    {
        MarkJobBusy(job);
        return MatchEnd::Done;
    }
    if (!IsFolderPath(match.path) && !PassesExtensionFilters(job, match.path))
        return MatchEnd::Done;
    const int result = ReconcileMatchPair(match, match.path, match.counterpart);
    WarnWhenNearlyFull(match);
    if (result == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    Journal(job, match.counterpart, match.path);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::TwoWayRemoved(ChangeMatch &match)
{
    if (IsExcludedFile(match.path) || match.def.GetDestAgent() != 0)
        return MatchEnd::Done;
    // Office saves by deleting the old file and renaming the new one in its place.
    const CString name = CutTrailingBackslashes(match.path);
    if (EndsWithNoCase(name, L".ppt") || EndsWithNoCase(name, L".xls"))
        ::Sleep(1000);
    // A file that is back (a safe save, a delete and re-create) was not removed: the record of its return
    // reconciles the pair once it has settled.
    if (PathExists(match.path) || LeftToOtherRecord(match.counterpart))
        return MatchEnd::Done;
    if (ReconcileMatchPair(match, match.path, match.counterpart) == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::TwoWayRenamed(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (IsOfficeSaveRename(match))
        return MatchEnd::Done;
    if (def.GetDestAgent() != 0)
        return MatchEnd::Done;
    // Renames that came together are repeated together, as the chain's end state.
    if (m_chain != nullptr)
        return RepeatChain(match, *m_chain);
    const CString oldPath = match.path, newPath = match.secondPath, oldCounterpart = match.counterpart;
    const CString newCounterpart = SiblingPath(oldCounterpart, LastComponent(newPath));
    // A pair whose other side still settles is left to that side's record.
    const bool oldLeft = LeftToOtherRecord(oldCounterpart), newLeft = LeftToOtherRecord(newCounterpart);

    // Carried over as a rename only when the old name's counterpart is the copy of the renamed file, and never
    // onto a name that is taken: otherwise what stands under the old name may be another file by now.
    const bool oldIsCopy = IsCopyOf(oldCounterpart, newPath);
    if (!oldLeft && !newLeft && oldIsCopy && !PathExists(newCounterpart))
    {
        MarkJobBusy(job);
        if (g_pfnMoveFileEx(oldCounterpart, newCounterpart, 0))
        {
            // Both lists drop the old name with it: a file that has come to the old name since is new there.
            const int isFolder = IsFolderPath(newPath) ? 1 : 0;
            RemoveFromListFile(job, oldPath, isFolder);
            RemoveFromListFile(job, oldCounterpart, isFolder);
            FlushJournal(&job);
            job.GetRestoreJournal()->RecordRename(def.GetName(), newCounterpart, newPath, oldCounterpart, oldPath);
            ReconcileMatchPair(match, newPath, newCounterpart);
            ReconcileMatchPair(match, oldPath, oldCounterpart);
            return MatchEnd::Done;
        }
    }

    // Otherwise the new name's pair is brought in step, then the old name's.
    if (!newLeft && PassesJobFilters(job, newPath) &&
        ReconcileMatchPair(match, newPath, newCounterpart) == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    if (oldLeft)
        return MatchEnd::Done;
    if (oldIsCopy && !PathExists(oldPath) && PathExists(oldCounterpart) && !IsCopyOf(oldCounterpart, newPath))
    {
        // The renamed file lost to a newer copy under its new name: the old name's counterpart is the last copy
        // of it, and it comes back under its old name instead of being taken for removed.
        MarkJobBusy(job);
        if (CopyFileViaTemp(&job, oldCounterpart, oldPath) != TASK_DONE)
        {
            OweRun(&job, RunWhen::Idle);
            return MatchEnd::Done;
        }
    }
    if (ReconcileMatchPair(match, oldPath, oldCounterpart) == TASK_DISK_FULL)
        return LeaveForFullDisk(match);
    return MatchEnd::Done;
}

CChangeProcessor::MatchEnd CChangeProcessor::HandOverLocked(ChangeMatch &match)
{
    CSyncJob &job = match.job;
    CJobDef &def = match.def;
    if (def.GetDestAgent() != 0 || IsExcludedFile(match.path) || IsFolderPath(match.path) ||
        !PassesExtensionFilters(job, match.path))
        return MatchEnd::Done;
    CString revision = match.revision;
    DWORD why = match.revisionError;
    if (def.GetSyncType() == 2)
    {
        // Only a copy that is newer than its counterpart, or that has none, is worth waiting for.
        WIN32_FILE_ATTRIBUTE_DATA mine, theirs;
        NewerCopy newer = NewerCopy::A;
        bool keptApart = false;
        if (LeftToOtherRecord(match.counterpart) || !::GetFileAttributesExW(match.path, GetFileExInfoStandard, &mine))
            return MatchEnd::Done;
        if (::GetFileAttributesExW(match.counterpart, GetFileExInfoStandard, &theirs) &&
            (!DecideBothPresent(job, mine, theirs, IsPairInStep(job, match.path, match.counterpart),
                                IsInJobSource(job, match.path) ? PairSource::A : PairSource::B, newer, keptApart) ||
             newer != NewerCopy::A))
            return MatchEnd::Done;
        why = MakeFileRevisionPath(job, match.counterpart, revision) ? 0 : ::GetLastError();
    }
    if (g_fileCopyingQueue.IsQueued(match.path, match.counterpart) ||
        !KeepRevision(match, match.counterpart, revision, why))
        return MatchEnd::Done;
    g_fileCopyingQueue.Enqueue(match.path, match.counterpart);
    job.GetLog().LogIdAt(L"FileMon", __LINE__, ERROR_SHARING_VIOLATION, LM_WARNING, IDS_LOG_CHANGE_LOCKED_QUEUED,
                         FormatNow().GetString(), match.path.GetString());
    Journal(job, match.counterpart, match.path);
    return MatchEnd::Done;
}
