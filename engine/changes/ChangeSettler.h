// The settle list of CFileMonOperation: added and modified files wait here until they have stopped changing
// and are no longer locked; removals and renames go on at once. The settled or immediate records go to the
// sink (change processing). Used by one thread; the owner drives the ticks (one a second while HasPending).
//
//   added, modified   merged with a pending record of the same path (its wait starts again: 3 ticks, from the
//                     file's state as the new record found it), else appended
//   removed           a pending record of the path is dropped; the removal goes on at once
//   renamed           a pending record of the old path takes the new path and waits again (the file then goes
//                     as added or modified under its new name); otherwise the rename goes on at once
//   tick              in arrival order: a record waits out its count, then while the file is locked (opened
//                     for reading fails with 32; ".doc" files are never locked: Word keeps them open) or
//                     changed (last-write time or size) it waits one tick more; the first settled record goes
//                     to the sink, so at most one record goes per tick, and every other record still counts
//                     the tick down (the ones after it are tested on the next tick)
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "engine/changes/FileChangeEntry.h"

class CChangeSettler
{
  public:
    using Sink = std::function<void(FileChangeEntryPtr entry)>;

    explicit CChangeSettler(Sink sink);

    void OnNewEntry(FileChangeEntryPtr entry);
    void OnTick();
    bool HasPending() const
    {
        return !m_pending.empty();
    }
    size_t GetPendingCount() const
    {
        return m_pending.size();
    }

  private:
    Sink m_sink;
    std::vector<FileChangeEntryPtr> m_pending;
};

// TRUE when another program holds the file so that it cannot be read (error 32 on an open for reading that
// shares everything); a name ending in ".doc" (any case) never counts as locked.
BOOL IsChangedFileLocked(LPCWSTR path);
