// Delayed notification: the watcher's worker thread never calls a caller's handler itself. Each watch wraps the
// handler in a CDelayedDirectoryChangeHandler, which turns every notification into a record and posts it to
// another thread; there the record is filtered (include and exclude patterns, the filter flags) and handed to
// the wrapped handler, one at a time and in posting order.
//
// With the has-GUI flag the records go to the hidden window "DelayedWnd" (class "Delayed_Message_Sender"), a
// message-only window of the thread that made the first wrapper (the user-interface thread); it lives until
// the process ends. Without it they go to a notification thread shared by all wrappers.
//
// Each record holds a reference on its wrapper, so a record is never dispatched after its wrapper has gone,
// also when the watch ended without the stop handshake. A record whose post fails is freed and reported to
// the worker (TakePostFailure), which owes the handler a WatchError(1022) for the folder.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "engine/watch/DirectoryChangeHandler.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"

// Filter flags.
constexpr DWORD kFilterNoPatterns = 0x01;      // no pattern test
constexpr DWORD kFilterRelativePath = 0x04;    // patterns match the path after the watched folder
constexpr DWORD kFilterNameOnly = 0x08;        // patterns match the name after the last backslash (wins over 0x04)
constexpr DWORD kFilterAcceptFirst = 0x10;     // AcceptChange is asked before the pattern test
constexpr DWORD kFilterNoAccept = 0x20;        // AcceptChange is never asked
constexpr DWORD kFilterNoStartNotice = 0x40;   // WatchStarted is not passed on
constexpr DWORD kFilterNoStopHandshake = 0x80; // WatchStopped is not passed on and not waited for

// The message that carries a record (lParam) to the window or the notification thread.
constexpr UINT WM_DELAYED_RECORD = 0x8400;

// The post of a record to the hidden window: PostMessageW unless a test makes it fail.
using PFN_POST_MESSAGE = BOOL(WINAPI *)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern Seam<PFN_POST_MESSAGE> g_pfnPostDelayedRecord;

class CDelayedDirectoryChangeHandler;

// Record kinds.
enum DelayedRecordKind : DWORD
{
    kRecordAdded = 1,
    kRecordRemoved = 2,
    kRecordModified = 3,
    kRecordRenamed = 4,
    kRecordError = 5,
    kRecordStarted = 6,
    kRecordStopped = 7,
};

struct DelayedRecord
{
    CDelayedDirectoryChangeHandler *owner; // holds a reference
    DWORD kind;
    CString path;       // for a rename the old path; for 5 to 7 the folder
    CString secondPath; // the new path of a rename
    CString folder;     // the watched folder, the wrapped handler's current folder while it hears the record
    DWORD error;
    DWORD relativeOffset;
};

// Where a wrapper posts its records. FALSE when the post failed; the record then stays the caller's.
class CDelayedNotifier
{
  public:
    virtual ~CDelayedNotifier() = default;
    virtual BOOL PostRecord(DelayedRecord *record) = 0;
};

// The hidden window of the process; made (again) when missing. FALSE with the system error when it cannot be.
BOOL EnsureDelayedWindow();
std::unique_ptr<CDelayedNotifier> MakeDelayedNotifier(BOOL hasGui);

// "*" matches any run of characters (also none), "?" any one character; every other character must be equal,
// case counting.
bool MatchWildcard(LPCWSTR name, LPCWSTR pattern);

class CDelayedDirectoryChangeHandler : public CDirectoryChangeHandler
{
  public:
    // Holds a reference on handler until the wrapper goes. include and exclude: ";"-separated patterns, or
    // null or empty for none. Check IsReady: the notifier may be missing.
    CDelayedDirectoryChangeHandler(CDirectoryChangeHandler *handler, BOOL hasGui, LPCWSTR include, LPCWSTR exclude,
                                   DWORD filterFlags);
    ~CDelayedDirectoryChangeHandler() override;

    BOOL IsReady() const
    {
        return m_notifier != nullptr;
    }
    CDirectoryChangeHandler *GetHandler() const
    {
        return m_handler;
    }
    // The watched folder: it goes with every record, and with flag 0x04 sets the relative offset (the folder's
    // length, plus one when it does not end with a backslash; else 0).
    void SetFolder(LPCWSTR folder);

    // Called on the watcher's worker thread; each posts a record.
    void FileAdded(LPCWSTR path) override;
    void FileRemoved(LPCWSTR path) override;
    void FileRenamed(LPCWSTR oldPath, LPCWSTR newPath) override;
    void FileModified(LPCWSTR path) override;
    void WatchError(DWORD error, LPCWSTR folder) override;
    void WatchStarted(DWORD error, LPCWSTR folder) override;
    // Posts the stop record and waits until the receiving side has handled it, so that every earlier record of
    // the watch has been handled before the wrapper goes (unless flag 0x80, or the post failed).
    void WatchStopped(LPCWSTR folder) override;

    // TRUE once when a post failed since the last call.
    BOOL TakePostFailure();

    // On the receiving thread: filters the record and hands it to the wrapped handler. A WatchStopped record
    // signals the stop event whatever happens.
    void Dispatch(const DelayedRecord &record);
    // The filter alone.
    bool Passes(const DelayedRecord &record);

  private:
    bool Post(DWORD kind, LPCWSTR path, LPCWSTR secondPath, DWORD error);
    bool PassesPatterns(const CString &path, DWORD offset) const;

    std::unique_ptr<CDelayedNotifier> m_notifier;
    CDirectoryChangeHandler *m_handler;
    BOOL m_hasGui;
    DWORD m_filterFlags;
    DWORD m_relativeOffset;
    CEvent m_stopEvent; // auto-reset
    bool m_hasInclude;
    bool m_hasExclude;
    std::vector<CString> m_include;
    std::vector<CString> m_exclude;
    CString m_folder;
    volatile LONG m_postFailed;
};

// Hands a record to its owner and frees it with the owner's reference (the window and the notification thread
// do this for every record they receive).
void DispatchDelayedRecord(DelayedRecord *record);
