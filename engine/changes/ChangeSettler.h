// The settle list of CFileMonOperation: added and modified files wait here until they have stopped changing
// and are no longer locked; removals and renames go on at once. The settled or immediate records go to the
// sink (change processing). Used by one thread; the owner drives the ticks (one a second while HasPending).
//
//   added, modified   merged with a pending record of the same path (its wait starts again: 3 ticks, from the
//                     file's state as the new record found it), else appended
//   removed           a pending record of the path is dropped; the removal goes on at once
//   renamed           a pending record of the old path takes the new path and waits again (the file then goes
//                     as added or modified under its new name), and the old path goes on as removed, so that
//                     its copy is dealt with; otherwise the rename waits with the renames that come with it
//                     (with a rename sink; without one it goes on at once): they go on together, in their order,
//                     once no rename has come for kRenameQuietTicks ticks, or before any record that goes on at
//                     once, and a settled record of one of their names waits for them
//   tick              in arrival order: a record waits out its count, then while the file is locked (opened
//                     for reading fails with 32; ".doc" files are never locked: Word keeps them open) or
//                     changed (last-write time or size) it waits one tick more. Every record found settled goes
//                     to the sink, in arrival order, for up to kHandOverBudgetMs of work; what is left over
//                     goes on with HandOver, which the owner calls again as soon as its other messages are
//                     done, so that a burst of changes is copied at the speed of the copies
//   locked for long   a record whose file stays locked for kLockedTicks ticks goes to the locked sink (which
//                     hands its copy to the deferred-copy queue) instead of waiting on; without a locked sink
//                     it waits on
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "engine/changes/FileChangeEntry.h"

// Ticks a file may stay locked before its record goes to the locked sink: a minute at the usual tick.
constexpr ULONG kLockedTicks = 60;
// Ticks without a new rename before the renames that came together go on: a chain of renames (a swap) typed or
// run at once arrives within them.
constexpr ULONG kRenameQuietTicks = 2;
// The work one tick, or one later hand-over, may give the sink before the owner's messages come first again.
constexpr ULONGLONG kHandOverBudgetMs = 250;

class CChangeSettler
{
  public:
    using Sink = std::function<void(FileChangeEntryPtr entry)>;
    using GroupSink = std::function<void(std::vector<FileChangeEntryPtr> entries)>;

    explicit CChangeSettler(Sink sink, Sink lockedSink = nullptr, GroupSink renameSink = nullptr);

    void OnNewEntry(FileChangeEntryPtr entry);
    // TRUE when settled records are left for HandOver.
    bool OnTick();
    // Gives the sink more of the settled records; TRUE when some are still left.
    bool HandOver();
    bool HasPending() const
    {
        return !m_pending.empty() || !m_renames.empty();
    }
    size_t GetPendingCount() const
    {
        return m_pending.size();
    }
    // A record of the path (case ignored) still waits here, a rename's new path among them.
    bool IsPending(LPCWSTR path) const;

  private:
    enum class State
    {
        Waiting,
        Settled,
        LockedTooLong,
    };
    struct Pending
    {
        FileChangeEntryPtr entry;
        State state;
        ULONG lockedSince; // the tick the file was first found locked; 0 while it is not
    };

    std::vector<Pending>::iterator Find(LPCWSTR path);
    // The renames that wait go on now.
    void HandOverRenames();
    bool IsRenameWaiting(LPCWSTR path) const;

    Sink m_sink;
    Sink m_lockedSink;
    GroupSink m_renameSink;
    std::vector<Pending> m_pending;
    std::vector<FileChangeEntryPtr> m_renames;
    ULONG m_lastRenameTick = 0;
    ULONG m_ticks = 0;
};

// TRUE when another program holds the file so that it cannot be read (error 32 on an open for reading that
// shares everything); a name ending in ".doc" (any case) never counts as locked.
BOOL IsChangedFileLocked(LPCWSTR path);
