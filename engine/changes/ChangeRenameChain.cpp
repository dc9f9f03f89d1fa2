// Change processing of renames that arrived together. By the time their records are handled the folder shows
// the chain's end state only (a swap, a to t, b to a, t to b, leaves a and b with each other's files and no t),
// so no single rename can be repeated on its own. A two-way job repeats the chain whole: each new name on the
// other side gets the copy of the old name the user moved there, through temporary names of the program's own,
// and nothing is copied over anything. A chain whose end state cannot be matched with the other side's copies
// is logged as a conflict and left as it is: no removal is carried over for its names and no copy replaces one.
#include <algorithm>
#include <numeric>

#include "engine/changes/ChangeMatch.h"
#include "engine/changes/ChangeProcessor.h"
#include "engine/continuous/Reconcile.h"
#include "engine/continuous/TesselDirText.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/AppPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/task/SyncTask.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "outside/Phrasel/PhraselIds.h"

namespace
{

bool SameName(const CString &a, const CString &b)
{
    return a.CompareNoCase(b) == 0;
}

// A rename that can be part of a chain: within one folder, and none of the program's own names or an Office
// save (those go on alone, as they always did).
bool IsChainable(const FileChangeEntry &entry)
{
    const CString from(entry.path), to(entry.secondPath);
    return entry.action == kChangeRenamed &&
           from.Left(from.ReverseFind(L'\\')).CompareNoCase(to.Left(to.ReverseFind(L'\\'))) == 0 &&
           !IsProgramFileName(from) && !IsProgramFileName(to) &&
           !(IsDocumentExtension(from) && EndsWithNoCase(to, L".tmp"));
}

bool AreLinked(const FileChangeEntry &a, const FileChangeEntry &b)
{
    const CString names[] = {a.path, a.secondPath};
    return std::any_of(std::begin(names), std::end(names),
                       [&](const CString &name) { return SameName(name, b.path) || SameName(name, b.secondPath); });
}

// One file of the chain: the name it had before the chain, and the name it has at its end.
struct Move
{
    CString from;
    CString to;
    CString temporary; // on the other side, while the chain is repeated
};

// The moves of the chain (names only), from its steps in their order: a file renamed twice moves once.
std::vector<Move> EndState(const std::vector<std::pair<CString, CString>> &steps)
{
    std::vector<Move> files; // to: where each file is now
    for (const auto &[oldPath, newPath] : steps)
    {
        const CString from = LastComponent(oldPath), to = LastComponent(newPath);
        auto moved =
            std::find_if(files.begin(), files.end(), [&](const Move &file) { return SameName(file.to, from); });
        const CString original = moved != files.end() ? moved->from : from;
        if (moved != files.end())
            files.erase(moved);
        // A file the rename replaced is gone.
        files.erase(std::remove_if(files.begin(), files.end(), [&](const Move &file) { return SameName(file.to, to); }),
                    files.end());
        files.push_back(Move{original, to, CString()});
    }
    files.erase(std::remove_if(files.begin(), files.end(), [](const Move &file) { return file.from == file.to; }),
                files.end());
    return files;
}

// A free temporary name for the copy at path, in its folder.
CString FreeTemporaryName(const CString &path)
{
    for (int n = 0; n < kTemporaryNameTries; ++n)
    {
        const CString name = MakeTemporaryCopyName(path, n);
        if (!PathExists(name))
            return name;
    }
    return CString();
}

} // namespace

void CChangeProcessor::ProcessRenames(std::vector<FileChangeEntryPtr> renames)
{
    JournalHold hold(*this);
    // The chains: renames linked by a name, each in one folder.
    std::vector<size_t> chainOf(renames.size());
    std::iota(chainOf.begin(), chainOf.end(), 0);
    for (size_t i = 0; i < renames.size(); ++i)
    {
        if (!renames[i] || !IsChainable(*renames[i]))
            continue;
        for (size_t j = 0; j < i; ++j)
        {
            if (renames[j] && IsChainable(*renames[j]) && AreLinked(*renames[i], *renames[j]))
            {
                const size_t merged = chainOf[j], joined = chainOf[i];
                std::replace(chainOf.begin(), chainOf.end(), joined, merged);
            }
        }
    }
    for (size_t i = 0; i < renames.size(); ++i)
    {
        if (!renames[i])
            continue;
        RenameChain chain;
        for (size_t j = i; j < renames.size(); ++j)
        {
            if (chainOf[j] == chainOf[i])
                chain.steps.emplace_back(renames[j]->path, renames[j]->secondPath);
        }
        // The chain's records go in their order, each to every job as a rename does; a two-way job repeats the
        // whole chain at its first record and passes over the others.
        m_chain = chain.steps.size() > 1 ? &chain : nullptr;
        for (size_t j = i; j < renames.size(); ++j)
        {
            if (renames[j] && chainOf[j] == chainOf[i])
                ProcessRecord(std::move(renames[j]), false);
        }
        m_chain = nullptr;
    }
}

CChangeProcessor::MatchEnd CChangeProcessor::RepeatChain(ChangeMatch &match, RenameChain &chain)
{
    CSyncJob &job = match.job;
    if (std::find(chain.repeated.begin(), chain.repeated.end(), &job) != chain.repeated.end())
        return MatchEnd::Done;
    chain.repeated.push_back(&job);
    const CString here = match.path.Left(match.path.ReverseFind(L'\\') + 1);
    const CString there = match.counterpart.Left(match.counterpart.ReverseFind(L'\\') + 1);
    std::vector<Move> moves = EndState(chain.steps);

    // Each file stands under its new name here, its copy under its old name there, and every new name there is
    // free or left by a file of the chain.
    bool matched = true;
    for (const Move &move : moves)
    {
        const bool vacated =
            std::any_of(moves.begin(), moves.end(), [&](const Move &other) { return SameName(other.from, move.to); });
        matched = matched && IsCopyOf(there + move.from, here + move.to) && (vacated || !PathExists(there + move.to));
    }
    // Each copy first steps aside to a temporary name, then takes its new name: a swap needs both out of the way.
    MarkJobBusy(job);
    for (Move &move : moves)
    {
        move.temporary = matched ? FreeTemporaryName(there + move.from) : CString();
        if (move.temporary.IsEmpty() || !g_pfnMoveFileEx(there + move.from, move.temporary, 0))
        {
            move.temporary.Empty();
            matched = false;
        }
    }
    if (!matched)
    {
        for (const Move &move : moves)
        {
            if (!move.temporary.IsEmpty())
                g_pfnMoveFileEx(move.temporary, there + move.from, 0);
        }
        LeaveChain(match, chain, here, there);
        return MatchEnd::Done;
    }
    std::vector<const Move *> done;
    for (const Move &move : moves)
    {
        if (g_pfnMoveFileEx(move.temporary, there + move.to, 0))
        {
            done.push_back(&move);
            continue;
        }
        // The copy goes back to its old name, or else stays under its temporary name, which the next pass takes
        // for a leftover: either way it is a copy of the file here, which is copied there again.
        const DWORD error = ::GetLastError();
        job.GetLog().LogIdAt(L"FileMon", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                             (there + move.to).GetString());
        g_pfnMoveFileEx(move.temporary, there + move.from, 0);
    }
    // The journal follows the copies the same way round, through their temporary names.
    FlushJournal(&job);
    CRestoreJournal *journal = job.GetRestoreJournal();
    const CString jobName = match.def.GetName();
    for (const Move *move : done)
        journal->RecordRename(jobName, move->temporary, here + LastComponent(move->temporary), there + move->from,
                              here + move->from);
    for (const Move *move : done)
        journal->RecordRename(jobName, there + move->to, here + move->to, move->temporary,
                              here + LastComponent(move->temporary));
    // Every name of the chain is then brought in step as it stands: the moved copies are found in step, a name
    // the chain left is dropped from the lists.
    for (const auto &step : chain.steps)
    {
        for (const CString &name : {LastComponent(step.first), LastComponent(step.second)})
        {
            if (ReconcileMatchPair(match, here + name, there + name) == TASK_DISK_FULL)
                return LeaveForFullDisk(match);
        }
    }
    return MatchEnd::Done;
}

void CChangeProcessor::LeaveChain(ChangeMatch &match, const RenameChain &chain, const CString &here,
                                  const CString &there)
{
    // Nothing is overwritten: the names stay as they are on both sides, and unlisted, so that no removal of one
    // of them is carried over; a later pass copies what one side lacks.
    CSyncJob &job = match.job;
    CString names;
    for (const auto &step : chain.steps)
    {
        for (const CString &name : {LastComponent(step.first), LastComponent(step.second)})
        {
            if (names.Find(L"\"" + name + L"\"") < 0)
                names += (names.IsEmpty() ? L"\"" : L", \"") + name + L"\"";
            RemoveFromListFile(job, here + name, 0);
            RemoveFromListFile(job, there + name, 0);
        }
    }
    ++job.m_errorCount;
    job.GetLog().LogIdAt(L"FileMon", __LINE__, ERROR_FILE_EXISTS, LM_ERROR, IDS_LOG_SYNC_RENAMES_CONFLICT,
                         FormatNow().GetString(), names.GetString(), here.GetString(), there.GetString());
}
