// CDirectoryChangeWatcher: watches folders for changes and hands each change to a CDirectoryChangeHandler. One
// watcher serves the program: the main window holds it (has-GUI flag 1, filter flags 8) and the job path check
// adds and removes the watches of the on-change jobs through it (IDirectoryWatch), always with the program's
// one CFileMonOperation as handler.
//
// All folders share one I/O completion port and one worker thread, started with the first watch and ended by
// RemoveAllWatches. Each watch wraps its handler in a CDelayedDirectoryChangeHandler, which carries every
// notification to the thread that added the watches (DelayedNotification.h): the worker never calls a
// caller's handler itself.
//
// Folders are opened sharing read, write and delete, so that the user may still rename or delete a watched
// folder. A read that overflows (changes came faster than they could be told) keeps the watch and tells the
// handler WatchError(1022); a read that fails otherwise ends the watch and tells the handler WatchError with
// its error. A watch ended so is taken out of the watcher by the next call that holds the watcher's lock.
//
// AddWatch and the removals are called on the user-interface thread. They dispatch its messages while they
// wait for the worker (the worker may be waiting for that thread to handle a WatchStopped), and a WM_QUIT met
// meanwhile is posted again. A handler may add or remove watches while a removal waits.
#pragma once
#include <windows.h>

#include <vector>

#include "engine/continuous/DirectoryWatch.h"
#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"
#include "platform/text/String.h"

class CDirectoryChangeHandler;
class CDirWatchInfo;

// Called by the worker before it issues each read again (after a batch); none unless a test holds the worker
// back to let changes pile up.
using PFN_BEFORE_WATCH_READ = void (*)(LPCWSTR folder);
extern Seam<PFN_BEFORE_WATCH_READ> g_pfnBeforeWatchRead;

class CDirectoryChangeWatcher : public IDirectoryWatch
{
  public:
    // filterFlags 0 stands for 8 (patterns against the name only).
    explicit CDirectoryChangeWatcher(BOOL hasGui = TRUE, DWORD filterFlags = 8);
    // RemoveAllWatches.
    virtual ~CDirectoryChangeWatcher();

    // Watches folder (and its whole tree with subtree) for the changes of notifyFilter, reported to handler.
    // include and exclude: ";"-separated wildcard lists or null. Returns the system error, also set as the
    // thread's last error: 0 when the watch runs, 87 for an empty folder, a notify filter 0 or no handler,
    // 161 when the folder is no existing folder, 14 when memory runs out, 164 when the worker cannot start,
    // else the error of opening the folder, of the port or of the first read. A folder watched already (in
    // any case) is first removed.
    DWORD AddWatch(LPCWSTR folder, DWORD notifyFilter, CDirectoryChangeHandler *handler, BOOL subtree, LPCWSTR include,
                   LPCWSTR exclude);
    DWORD AddWatch(LPCWSTR folder, DWORD notifyFilter, CDirectoryChangeHandler *handler, BOOL subtree) override;
    // Stops and removes the watch of folder (case and trailing backslashes ignored); 1 when one was removed.
    BOOL RemoveWatch(LPCWSTR folder) override;
    // Stops and removes every watch of handler; 1 when at least one was removed.
    BOOL RemoveHandlerWatches(CDirectoryChangeHandler *handler);
    // Stops and removes every watch, ends the worker and closes the port; 0 when no worker ran.
    BOOL RemoveAllWatches();
    BOOL IsWatching(LPCWSTR folder) const override;
    // The watched folders, as they were given.
    std::vector<CString> GetWatchedFolders() const;
    BOOL IsWorkerRunning() const
    {
        return m_thread.IsValid();
    }

  protected:
    // Called on the worker thread when it starts and before it ends.
    virtual void OnThreadStart()
    {
    }
    virtual void OnThreadEnd()
    {
    }

  private:
    static unsigned __stdcall WorkerEntry(void *watcher);
    void RunWorker();
    DWORD Fail(DWORD error);
    // Index of the live watch of folder, or -1. Under the lock.
    int FindWatch(LPCWSTR folder) const;
    // Takes out and destroys the watches whose read failed (under the lock).
    void ReapEndedWatches() const;
    // Stops a watch that is out of the array already, then destroys it.
    void StopAndDestroy(CDirWatchInfo *watch);
    static void Destroy(CDirWatchInfo *watch);
    DWORD StartWorker();

    CKernelHandle m_port;
    CKernelHandle m_thread;
    DWORD m_threadId;
    // A removed watch leaves a null slot that the next watch takes.
    mutable std::vector<CDirWatchInfo *> m_watches;
    mutable CCriticalSection m_lock;
    BOOL m_hasGui;
    DWORD m_filterFlags;
};
