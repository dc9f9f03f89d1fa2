// What the job engine asks of the directory watcher: the job path check (JobPaths.h) adds and removes the
// watches of on-change jobs through this interface; the program's watcher implements it and tests fake it.
//
// Folders are compared ignoring case and trailing backslashes ("C:\Data\" and "c:\data" are one folder): one
// folder is watched once, whichever jobs use it. The calls come from the user-interface thread and may
// dispatch its messages while they wait.
#pragma once
#include <windows.h>

class CDirectoryChangeHandler;

// The notifications a job's folders are watched for: names of files and folders, size, last write and
// creation (FILE_NOTIFY_CHANGE_FILE_NAME | DIR_NAME | SIZE | LAST_WRITE | CREATION).
constexpr DWORD kJobWatchFilter = 0x5b;

class IDirectoryWatch
{
  public:
    // Starts watching folder (and its whole tree when subtree is TRUE) for the changes of notifyFilter, which go
    // to handler. The system error (0 when the watch runs).
    virtual DWORD AddWatch(LPCWSTR folder, DWORD notifyFilter, CDirectoryChangeHandler *handler, BOOL subtree) = 0;
    // Stops watching folder; FALSE when it was not watched.
    virtual BOOL RemoveWatch(LPCWSTR folder) = 0;
    // TRUE while folder is watched.
    virtual BOOL IsWatching(LPCWSTR folder) const = 0;

  protected:
    IDirectoryWatch() = default;
    ~IDirectoryWatch() = default;
    IDirectoryWatch(const IDirectoryWatch &) = delete;
    IDirectoryWatch &operator=(const IDirectoryWatch &) = delete;
};
