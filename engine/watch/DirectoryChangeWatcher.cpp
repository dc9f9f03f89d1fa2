#include "engine/watch/DirectoryChangeWatcher.h"

#include <process.h>

#include <algorithm>
#include <mutex>
#include <new>

#include "engine/store/PathMatch.h"
#include "engine/watch/DirWatchInfo.h"
#include "engine/watch/WatchWaits.h"
#include "platform/system/ExceptionReport.h"

Seam<PFN_BEFORE_WATCH_READ> g_pfnBeforeWatchRead{nullptr};

namespace
{

// Lets the program read folders it may not list otherwise, and hear of their changes; failures are ignored.
void EnableWatchPrivileges()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (LPCWSTR name : {SE_BACKUP_NAME, SE_RESTORE_NAME, SE_CHANGE_NOTIFY_NAME})
        {
            HANDLE token = nullptr;
            if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
                continue;
            CKernelHandle owner(token);
            TOKEN_PRIVILEGES privileges = {};
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
                ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        }
    });
}

bool SameFolder(const CString &a, LPCWSTR b)
{
    return CutTrailingBackslashes(a).CompareNoCase(CutTrailingBackslashes(b)) == 0;
}

} // namespace

CDirectoryChangeWatcher::CDirectoryChangeWatcher(BOOL hasGui, DWORD filterFlags)
    : m_threadId(0), m_hasGui(hasGui), m_filterFlags(filterFlags != 0 ? filterFlags : kFilterNameOnly)
{
}

CDirectoryChangeWatcher::~CDirectoryChangeWatcher()
{
    RemoveAllWatches();
    m_port.Close();
}

DWORD CDirectoryChangeWatcher::Fail(DWORD error)
{
    ::SetLastError(error);
    return error;
}

DWORD CDirectoryChangeWatcher::AddWatch(LPCWSTR folder, DWORD notifyFilter, CDirectoryChangeHandler *handler,
                                        BOOL subtree)
{
    return AddWatch(folder, notifyFilter, handler, subtree, nullptr, nullptr);
}

DWORD CDirectoryChangeWatcher::AddWatch(LPCWSTR folder, DWORD notifyFilter, CDirectoryChangeHandler *handler,
                                        BOOL subtree, LPCWSTR include, LPCWSTR exclude)
{
    if (folder == nullptr || *folder == L'\0' || notifyFilter == 0 || handler == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    const DWORD attributes = ::GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_BAD_PATHNAME);

    CSingleLock hold(&m_lock, TRUE);
    ReapEndedWatches();
    if (FindWatch(folder) >= 0)
        RemoveWatch(folder);
    EnableWatchPrivileges();

    HANDLE folderHandle =
        ::CreateFileW(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (folderHandle == INVALID_HANDLE_VALUE)
        return Fail(::GetLastError());
    CDirWatchInfo *watch = new (std::nothrow)
        CDirWatchInfo(folderHandle, folder, handler, notifyFilter, subtree, m_hasGui, include, exclude, m_filterFlags);
    if (watch == nullptr)
    {
        ::CloseHandle(folderHandle);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (watch->GetWrapper() == nullptr)
    {
        const DWORD error = ::GetLastError();
        Destroy(watch);
        return Fail(error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY);
    }

    HANDLE port = ::CreateIoCompletionPort(folderHandle, m_port.Get(), reinterpret_cast<ULONG_PTR>(watch), 0);
    if (port == nullptr)
    {
        const DWORD error = ::GetLastError();
        Destroy(watch);
        return Fail(error);
    }
    if (!m_port.IsValid())
        m_port.Attach(port);

    if (!m_thread.IsValid())
    {
        const DWORD error = StartWorker();
        if (error != 0)
        {
            Destroy(watch);
            return Fail(error);
        }
    }

    if (!watch->RequestStart(m_port.Get()))
    {
        const DWORD error = ::GetLastError();
        Destroy(watch);
        return Fail(error);
    }
    // The worker may first have to finish a WatchStopped, which waits for this thread to handle it.
    WaitDispatchingMessages(watch->GetDoneEvent());
    ::ResetEvent(watch->GetDoneEvent());
    const DWORD error = watch->GetLastReadError();
    if (error != 0)
    {
        Destroy(watch);
        return Fail(error);
    }

    handler->AttachWatcher(this);
    auto slot = std::find(m_watches.begin(), m_watches.end(), nullptr);
    if (slot != m_watches.end())
        *slot = watch;
    else
        m_watches.push_back(watch);
    return Fail(0);
}

DWORD CDirectoryChangeWatcher::StartWorker()
{
    unsigned id = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WorkerEntry, this, 0, &id));
    if (thread == nullptr)
    {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_MAX_THRDS_REACHED;
    }
    m_thread.Attach(thread);
    m_threadId = id;
    return 0;
}

BOOL CDirectoryChangeWatcher::RemoveWatch(LPCWSTR folder)
{
    CSingleLock hold(&m_lock, TRUE);
    ReapEndedWatches();
    if (!m_port.IsValid() || folder == nullptr)
        return FALSE;
    const int index = FindWatch(folder);
    if (index < 0)
        return FALSE;
    // Out of the array before it is stopped: a handler that adds or removes a watch while this call dispatches
    // messages finds the array as it is.
    CDirWatchInfo *watch = m_watches[index];
    m_watches[index] = nullptr;
    StopAndDestroy(watch);
    return TRUE;
}

BOOL CDirectoryChangeWatcher::RemoveHandlerWatches(CDirectoryChangeHandler *handler)
{
    CSingleLock hold(&m_lock, TRUE);
    ReapEndedWatches();
    std::vector<CDirWatchInfo *> removed;
    for (CDirWatchInfo *&watch : m_watches)
    {
        if (watch != nullptr && watch->GetHandler() == handler)
        {
            removed.push_back(watch);
            watch = nullptr;
        }
    }
    for (CDirWatchInfo *watch : removed)
        StopAndDestroy(watch);
    return removed.empty() ? FALSE : TRUE;
}

BOOL CDirectoryChangeWatcher::RemoveAllWatches()
{
    CSingleLock hold(&m_lock, TRUE);
    if (!m_thread.IsValid())
        return FALSE;
    ReapEndedWatches();
    // A handler may add a watch while the stops dispatch messages: the loop takes that one as well.
    for (;;)
    {
        std::vector<CDirWatchInfo *> removed;
        for (CDirWatchInfo *&watch : m_watches)
        {
            if (watch != nullptr)
                removed.push_back(watch);
            watch = nullptr;
        }
        if (removed.empty())
            break;
        for (CDirWatchInfo *watch : removed)
            StopAndDestroy(watch);
    }
    m_watches.clear();
    ::PostQueuedCompletionStatus(m_port.Get(), 0, 0, nullptr);
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Close();
    m_threadId = 0;
    m_port.Close();
    return TRUE;
}

BOOL CDirectoryChangeWatcher::IsWatching(LPCWSTR folder) const
{
    if (folder == nullptr || *folder == L'\0')
        return FALSE;
    CSingleLock hold(&m_lock, TRUE);
    ReapEndedWatches();
    return FindWatch(folder) >= 0 ? TRUE : FALSE;
}

std::vector<CString> CDirectoryChangeWatcher::GetWatchedFolders() const
{
    CSingleLock hold(&m_lock, TRUE);
    ReapEndedWatches();
    std::vector<CString> folders;
    for (const CDirWatchInfo *watch : m_watches)
    {
        if (watch != nullptr)
            folders.push_back(watch->GetFolder());
    }
    return folders;
}

int CDirectoryChangeWatcher::FindWatch(LPCWSTR folder) const
{
    for (size_t i = 0; i < m_watches.size(); ++i)
    {
        if (m_watches[i] != nullptr && SameFolder(m_watches[i]->GetFolder(), folder))
            return static_cast<int>(i);
    }
    return -1;
}

void CDirectoryChangeWatcher::ReapEndedWatches() const
{
    for (CDirWatchInfo *&watch : m_watches)
    {
        if (watch != nullptr && watch->GetState() == kWatchEnded)
        {
            CDirWatchInfo *ended = watch;
            watch = nullptr;
            Destroy(ended);
        }
    }
}

void CDirectoryChangeWatcher::StopAndDestroy(CDirWatchInfo *watch)
{
    if (watch->RequestStop(m_port.Get()))
    {
        WaitDispatchingMessages(watch->GetDoneEvent());
        ::ResetEvent(watch->GetDoneEvent());
    }
    Destroy(watch);
}

void CDirectoryChangeWatcher::Destroy(CDirWatchInfo *watch)
{
    if (watch->GetState() != kWatchCreated && watch->GetState() != kWatchStartRequested)
    {
        if (CDirectoryChangeHandler *handler = watch->GetHandler())
            handler->DetachWatcher();
    }
    delete watch;
}

unsigned __stdcall CDirectoryChangeWatcher::WorkerEntry(void *watcher)
{
    try
    {
        static_cast<CDirectoryChangeWatcher *>(watcher)->RunWorker();
    }
    catch (...)
    {
        AfxReportCurrentException("the directory watcher's thread");
    }
    return 0;
}

void CDirectoryChangeWatcher::RunWorker()
{
    OnThreadStart();
    const HANDLE port = m_port.Get();
    // The watches that owe their handler a WatchError(1022) because a post failed: retried after every packet
    // and at least once a second until it goes.
    std::vector<CDirWatchInfo *> owing;
    for (;;)
    {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED *overlapped = nullptr;
        const BOOL ok = ::GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, owing.empty() ? INFINITE : 1000);
        const DWORD error = ok ? 0 : ::GetLastError();
        if (!ok && overlapped == nullptr && error != WAIT_TIMEOUT)
            break;
        if (ok && key == 0)
            break;
        if (key != 0)
            reinterpret_cast<CDirWatchInfo *>(key)->OnPacket(bytes, error, owing);
        std::vector<CDirWatchInfo *> still;
        for (CDirWatchInfo *watch : owing)
        {
            if (!watch->PostOwedOverflow())
                still.push_back(watch);
        }
        owing.swap(still);
    }
    OnThreadEnd();
}
