// CDirectoryChangeHandler: what hears of the changes in watched folders (CDirectoryChangeWatcher). A caller
// derives from it and overrides the notifications it cares for; every default does nothing, and AcceptChange
// accepts.
//
// The handler is reference-counted: its creator holds the first reference, and each watch that uses it holds
// one more, so a handler whose creator lets go stays until its last watch has gone. Release deletes it at 0.
#pragma once
#include <windows.h>

#include "platform/system/Sync.h"
#include "platform/text/String.h"

class CDirectoryChangeWatcher;

// Actions of a change, as AcceptChange hears them.
constexpr DWORD kChangeAdded = 1;
constexpr DWORD kChangeRemoved = 2;
constexpr DWORD kChangeModified = 3;
constexpr DWORD kChangeRenamed = 4;

class CDirectoryChangeHandler
{
  public:
    CDirectoryChangeHandler();
    // Removes the handler's watches from its watcher (RemoveOwnWatches).
    virtual ~CDirectoryChangeHandler();
    CDirectoryChangeHandler(const CDirectoryChangeHandler &) = delete;
    CDirectoryChangeHandler &operator=(const CDirectoryChangeHandler &) = delete;

    // Paths are full paths: the watched folder, a backslash and the name the system reported.
    virtual void FileAdded(LPCWSTR path);
    virtual void FileRemoved(LPCWSTR path);
    virtual void FileRenamed(LPCWSTR oldPath, LPCWSTR newPath);
    virtual void FileModified(LPCWSTR path);
    // A read of the folder failed: error 1022 (ERROR_NOTIFY_ENUM_DIR) when changes came faster than they could
    // be told and some were lost (the watch goes on); any other error ended the watch.
    virtual void WatchError(DWORD error, LPCWSTR folder);
    virtual void WatchStarted(DWORD error, LPCWSTR folder);
    virtual void WatchStopped(LPCWSTR folder);
    // Asked before a change is passed on (see CDelayedDirectoryChangeHandler); FALSE drops it.
    virtual BOOL AcceptChange(DWORD action, LPCWSTR path, LPCWSTR secondPath);

    LONG AddRef();
    // Lowers the count; at 0 the handler is deleted. Returns the new count.
    LONG Release();
    LONG GetReferenceCount() const;

    // Under the handler's lock: the watcher is stored and the watch count raised; attached to another watcher,
    // the handler's watches are first removed from that one and the count starts again at 1. The new count.
    int AttachWatcher(CDirectoryChangeWatcher *watcher);
    // Lowers the watch count; below 1 the watcher is forgotten.
    void DetachWatcher();
    int GetWatchCount() const;
    // Removes every watch of this handler from its watcher; 1 without a watcher.
    BOOL RemoveOwnWatches();

    // The watched folder whose notification is being delivered; set before each delivery.
    void SetCurrentFolder(LPCWSTR folder);
    CString GetCurrentFolder() const;

  private:
    volatile LONG m_references;
    CString m_currentFolder;
    CDirectoryChangeWatcher *m_watcher;
    int m_watchCount;
    mutable CCriticalSection m_lock;
    // Set while the destructor removes the watches: their releases must not delete the handler again.
    bool m_destroying;
};
