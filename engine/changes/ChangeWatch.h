// What the main window holds to watch the folders of its on-change jobs: the program's one directory watcher
// (has-GUI flag 1, filter flags 8) and the file monitor that hears of every change (CFileMonOperation).
//
// The main window makes it on its user-interface thread and hands both to the job path check of each schedule
// tick: CheckJobPaths(job, changeWatch.GetWatcher(), changeWatch.GetHandler(), this). Stop (also the
// destructor) removes every watch and ends the monitor's thread; it must run before the job collection goes,
// which a member declared after the collection does by itself.
#pragma once
#include <windows.h>

#include "engine/changes/FileMonOperation.h"
#include "engine/watch/DirectoryChangeWatcher.h"

class CChangeWatch
{
  public:
    CChangeWatch();
    ~CChangeWatch();
    CChangeWatch(const CChangeWatch &) = delete;
    CChangeWatch &operator=(const CChangeWatch &) = delete;

    CDirectoryChangeWatcher &GetWatcher()
    {
        return m_watcher;
    }
    // Null once stopped.
    CFileMonOperation *GetHandler() const
    {
        return m_monitor;
    }
    void Stop();

  private:
    CDirectoryChangeWatcher m_watcher;
    CFileMonOperation *m_monitor;
};
