// One watched folder of CDirectoryChangeWatcher, and the walk over the change records of one read.
//
// States: created (0); start requested (1, set by AddWatch); watching (5, a read is pending); stop requested
// (2, set by a removal); stopping (3, the folder handle is closed and the aborted read still to come back);
// ended (6, a read failed: the worker closed the handle, and the next holder of the watcher's lock destroys
// the watch). The worker carries out the start and stop requests and signals the done event for each.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "engine/watch/DelayedNotification.h"
#include "platform/system/Sync.h"
#include "platform/text/String.h"

constexpr DWORD kWatchCreated = 0;
constexpr DWORD kWatchStartRequested = 1;
constexpr DWORD kWatchStopRequested = 2;
constexpr DWORD kWatchStopping = 3;
constexpr DWORD kWatchWatching = 5;
constexpr DWORD kWatchEnded = 6;

constexpr DWORD kWatchBufferSize = 4096;

// Walks the change records of one read (bytes of buffer) and tells handler of each with full paths (folder,
// a backslash unless it ends with one, the name). A rename's old name that ends a read is kept in
// pendingOldName and paired with the new name that begins the next read, which is always read into the
// buffer's start. A kept old name that the next read does not pair, and an old name that no new name follows,
// were lost halves of a rename: the handler hears WatchError(1022, folder), as for an overflow. The walk
// stops at a record that would run past bytes.
void DeliverChangeRecords(const BYTE *buffer, DWORD bytes, const CString &folder, CString &pendingOldName,
                          CDirectoryChangeHandler &handler);

class CDirWatchInfo
{
  public:
    // Takes the folder handle. Check GetWrapper: the wrapper is null when its notifier could not be made.
    CDirWatchInfo(HANDLE folderHandle, LPCWSTR folder, CDirectoryChangeHandler *handler, DWORD notifyFilter,
                  BOOL subtree, BOOL hasGui, LPCWSTR include, LPCWSTR exclude, DWORD filterFlags);
    // Releases the wrapper (whose last reference lets go of the handler) and closes the folder handle.
    ~CDirWatchInfo();
    CDirWatchInfo(const CDirWatchInfo &) = delete;
    CDirWatchInfo &operator=(const CDirWatchInfo &) = delete;

    HANDLE GetFolderHandle() const
    {
        return m_folderHandle;
    }
    const CString &GetFolder() const
    {
        return m_folder;
    }
    CDelayedDirectoryChangeHandler *GetWrapper() const
    {
        return m_wrapper;
    }
    CDirectoryChangeHandler *GetHandler() const
    {
        return m_wrapper != nullptr ? m_wrapper->GetHandler() : nullptr;
    }
    DWORD GetState() const;
    DWORD GetLastReadError() const
    {
        return m_lastError;
    }
    HANDLE GetDoneEvent() const
    {
        return m_done.m_hObject;
    }

    // The caller's side: state 1 and a packet to the worker. FALSE when the packet could not be posted.
    BOOL RequestStart(HANDLE port);
    // State 2 and a packet to the worker; FALSE when there is nothing to wait for (the watch ended, or the
    // packet could not be posted).
    BOOL RequestStop(HANDLE port);

    // The worker's side: one packet for this watch (error 0 for a completed read). owing lists the watches that
    // owe their handler a WatchError(1022) because a post failed.
    void OnPacket(DWORD bytes, DWORD error, std::vector<CDirWatchInfo *> &owing);
    // Posts the owed WatchError(1022); TRUE when it went.
    BOOL PostOwedOverflow();

  private:
    BOOL IssueRead();
    void CloseFolderHandle();
    void OnStart();
    void OnStop(std::vector<CDirWatchInfo *> &owing);
    void OnReadDone(DWORD bytes, DWORD error, std::vector<CDirWatchInfo *> &owing);
    // A read failed for good: the handle is closed and the watch ends (unless a stop is on its way already).
    void End(DWORD error, std::vector<CDirWatchInfo *> &owing);
    void NoteFailedPosts(std::vector<CDirWatchInfo *> &owing);

    CDelayedDirectoryChangeHandler *m_wrapper;
    HANDLE m_folderHandle;
    DWORD m_notifyFilter;
    BOOL m_subtree;
    CString m_folder;
    alignas(8) BYTE m_buffer[kWatchBufferSize];
    OVERLAPPED m_overlapped;
    DWORD m_lastError;
    mutable CCriticalSection m_lock;
    CEvent m_done; // manual reset
    DWORD m_state;
    CString m_pendingOldName;
};
