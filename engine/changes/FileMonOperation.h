// CFileMonOperation: the program's receiver of directory-change notifications. The main window makes one and
// hands it to every watch of the on-change jobs (CheckJobPaths). Each accepted change becomes a FileChangeEntry
// that goes to the object's own thread, settles there (CChangeSettler: a tick a second, every settled record
// handed over at once, renames that came together handed over together) and is then processed there
// (CChangeProcessor), so that all change processing runs on this one thread. A file that stays locked goes to the
// deferred-copy queue (CChangeProcessor::OnStillLocked).
//
// The thread keeps a message-only window: the records, the watch errors and its tick timer reach it as
// window messages, which a message box on the thread (the missing destination's) dispatches too; what comes
// in while a record is processed waits until that record is done.
//
// Nothing is lost without a word: a change whose record cannot be made (a path too long) is logged; a change
// that cannot be passed to the thread, and every watch error, makes the jobs watching its folder owe a run
// (CChangeProcessor::OnLostChanges).
//
// The main window holds it as a reference (Release, not delete) and stops it (Stop) before its job collection
// goes, once the watcher has let go of it (CDirectoryChangeWatcher::RemoveAllWatches).
#pragma once
#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/changes/ChangeProcessor.h"
#include "engine/changes/ChangeSettler.h"
#include "engine/watch/DelayedNotification.h"
#include "engine/watch/DirectoryChangeHandler.h"
#include "platform/system/Handles.h"

constexpr UINT WM_FILEMON_ENTRY = 0x401;    // wParam: a new FileChangeEntry
constexpr UINT WM_FILEMON_ERROR = 0x402;    // wParam: the error; lParam: the folder (a CString the thread frees)
constexpr UINT WM_FILEMON_HANDOVER = 0x403; // settled records are left over from the last tick

// The settle list's tick, 1000 ms unless a test shortens it.
extern Seam<UINT> g_fileMonTickMs;

// The posts to the thread's window: PostMessageW unless a test makes them fail.
extern Seam<PFN_POST_MESSAGE> g_pfnPostFileMonMessage;

class CFileMonOperation : public CDirectoryChangeHandler
{
  public:
    // Starts the thread; a failed start is not reported (every post then fails).
    CFileMonOperation();
    // Stop.
    ~CFileMonOperation() override;

    // Ends the thread: records still waiting are not processed. Waits for a record being processed.
    void Stop();
    DWORD GetThreadId() const
    {
        return m_threadId;
    }

    // On the thread that delivers the notifications: makes the record and posts it to the thread. TRUE when it
    // went.
    BOOL AcceptChange(DWORD action, LPCWSTR path, LPCWSTR secondPath) override;
    // Passes the folder to the thread, which logs it and owes the jobs watching it a run.
    void WatchError(DWORD error, LPCWSTR folder) override;

  private:
    struct LostChange
    {
        DWORD error;
        CString path;
    };

    static unsigned __stdcall ThreadEntry(void *self);
    unsigned RunThread();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnTick();
    // What the settle list hands on: a record, one that stayed locked, or renames that came together.
    enum class Handed
    {
        Settled,
        StillLocked,
        Renames,
    };
    // The settle list's sinks: process the records now, or after the ones being processed.
    void Process(std::vector<FileChangeEntryPtr> entries, Handed how);
    void OnHandOver();
    void PostHandOver();
    void NoteLostChange(DWORD error, LPCWSTR path);
    void HandleLostChanges();
    void UpdateTimer();

    CKernelHandle m_thread;
    DWORD m_threadId;
    HWND m_window;
    UINT_PTR m_timer;
    CKernelHandle m_wake;  // auto-reset: a lost change was noted
    HANDLE m_startedEvent; // only while the thread starts
    CChangeSettler m_settler;
    CChangeProcessor m_processor;
    bool m_processing;
    bool m_handOverPosted;
    std::vector<std::pair<std::vector<FileChangeEntryPtr>, Handed>> m_deferred;
    // Filled on the notifying thread when a post fails, read by this object's thread.
    std::mutex m_lostLock;
    std::vector<LostChange> m_lost;
};
