#include "engine/watch/DirWatchInfo.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "engine/watch/DirectoryChangeWatcher.h"

namespace
{

constexpr DWORD kRecordHeader = offsetof(FILE_NOTIFY_INFORMATION, FileName);

// The record at offset, when it lies whole within bytes.
const FILE_NOTIFY_INFORMATION *RecordAt(const BYTE *buffer, DWORD bytes, DWORD offset)
{
    if (offset > bytes || bytes - offset < kRecordHeader)
        return nullptr;
    const auto *record = reinterpret_cast<const FILE_NOTIFY_INFORMATION *>(buffer + offset);
    if (record->FileNameLength > bytes - offset - kRecordHeader)
        return nullptr;
    return record;
}

CString FullPath(const CString &prefix, const FILE_NOTIFY_INFORMATION &record)
{
    return prefix + CString(record.FileName, static_cast<int>(record.FileNameLength / sizeof(wchar_t)));
}

void Forget(std::vector<CDirWatchInfo *> &owing, CDirWatchInfo *watch)
{
    owing.erase(std::remove(owing.begin(), owing.end(), watch), owing.end());
}

} // namespace

void DeliverChangeRecords(const BYTE *buffer, DWORD bytes, const CString &folder, CString &pendingOldName,
                          CDirectoryChangeHandler &handler)
{
    const CString prefix = folder.Right(1) == L"\\" ? folder : folder + L"\\";
    DWORD offset = 0;
    for (const FILE_NOTIFY_INFORMATION *record = RecordAt(buffer, bytes, offset); record != nullptr;)
    {
        const CString path = FullPath(prefix, *record);
        DWORD next = record->NextEntryOffset;
        if (!pendingOldName.IsEmpty())
        {
            const CString oldPath = pendingOldName;
            pendingOldName.Empty();
            if (record->Action == FILE_ACTION_RENAMED_NEW_NAME)
            {
                handler.FileRenamed(oldPath, path);
                if (next == 0)
                    break;
                offset += next;
                record = RecordAt(buffer, bytes, offset);
                continue;
            }
            handler.WatchError(ERROR_NOTIFY_ENUM_DIR, folder);
        }
        switch (record->Action)
        {
        case FILE_ACTION_ADDED:
            handler.FileAdded(path);
            break;
        case FILE_ACTION_REMOVED:
            handler.FileRemoved(path);
            break;
        case FILE_ACTION_MODIFIED:
            handler.FileModified(path);
            break;
        case FILE_ACTION_RENAMED_OLD_NAME: {
            const FILE_NOTIFY_INFORMATION *newName = next != 0 ? RecordAt(buffer, bytes, offset + next) : nullptr;
            if (newName == nullptr)
            {
                // The old name ends the read: its new name begins the next one.
                pendingOldName = path;
            }
            else if (newName->Action == FILE_ACTION_RENAMED_NEW_NAME)
            {
                handler.FileRenamed(path, FullPath(prefix, *newName));
                offset += next;
                next = newName->NextEntryOffset;
            }
            else
            {
                handler.WatchError(ERROR_NOTIFY_ENUM_DIR, folder);
            }
            break;
        }
        default:
            // A new name without its old one, or an action this system does not know.
            break;
        }
        if (next == 0)
            break;
        offset += next;
        record = RecordAt(buffer, bytes, offset);
    }
}

CDirWatchInfo::CDirWatchInfo(HANDLE folderHandle, LPCWSTR folder, CDirectoryChangeHandler *handler, DWORD notifyFilter,
                             BOOL subtree, BOOL hasGui, LPCWSTR include, LPCWSTR exclude, DWORD filterFlags)
    : m_wrapper(new (std::nothrow) CDelayedDirectoryChangeHandler(handler, hasGui, include, exclude, filterFlags)),
      m_folderHandle(folderHandle), m_notifyFilter(notifyFilter), m_subtree(subtree), m_folder(folder), m_buffer(),
      m_overlapped(), m_lastError(0), m_done(FALSE, TRUE), m_state(kWatchCreated)
{
    if (m_wrapper != nullptr && !m_wrapper->IsReady())
    {
        m_wrapper->Release();
        m_wrapper = nullptr;
    }
    if (m_wrapper != nullptr)
        m_wrapper->SetFolder(folder);
}

CDirWatchInfo::~CDirWatchInfo()
{
    CloseFolderHandle();
    if (m_wrapper != nullptr)
        m_wrapper->Release();
}

DWORD CDirWatchInfo::GetState() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_state;
}

void CDirWatchInfo::CloseFolderHandle()
{
    if (m_folderHandle != INVALID_HANDLE_VALUE)
    {
        ::CloseHandle(m_folderHandle);
        m_folderHandle = INVALID_HANDLE_VALUE;
    }
}

BOOL CDirWatchInfo::RequestStart(HANDLE port)
{
    {
        CSingleLock hold(&m_lock, TRUE);
        m_state = kWatchStartRequested;
    }
    return ::PostQueuedCompletionStatus(port, 4, reinterpret_cast<ULONG_PTR>(this), nullptr);
}

BOOL CDirWatchInfo::RequestStop(HANDLE port)
{
    {
        CSingleLock hold(&m_lock, TRUE);
        if (m_state == kWatchEnded)
            return FALSE;
        m_state = kWatchStopRequested;
    }
    return ::PostQueuedCompletionStatus(port, 4, reinterpret_cast<ULONG_PTR>(this), nullptr);
}

BOOL CDirWatchInfo::IssueRead()
{
    // Every read fills the buffer from its start: a rename's old name that ended the last read is kept apart
    // (m_pendingOldName), so no read starts at an odd offset, which the system would refuse.
    m_overlapped = OVERLAPPED();
    return ::ReadDirectoryChangesW(m_folderHandle, m_buffer, kWatchBufferSize, m_subtree, m_notifyFilter, nullptr,
                                   &m_overlapped, nullptr);
}

void CDirWatchInfo::OnPacket(DWORD bytes, DWORD error, std::vector<CDirWatchInfo *> &owing)
{
    switch (GetState())
    {
    case kWatchStartRequested:
        OnStart();
        break;
    case kWatchStopRequested:
        OnStop(owing);
        break;
    case kWatchStopping: {
        CSingleLock hold(&m_lock, TRUE);
        if (m_folderHandle == INVALID_HANDLE_VALUE)
            m_done.SetEvent();
        else
            CloseFolderHandle();
        break;
    }
    case kWatchWatching:
        OnReadDone(bytes, error, owing);
        break;
    default:
        break;
    }
}

void CDirWatchInfo::OnStart()
{
    const BOOL issued = IssueRead();
    m_lastError = issued ? 0 : ::GetLastError();
    if (issued)
    {
        CSingleLock hold(&m_lock, TRUE);
        m_state = kWatchWatching;
    }
    m_wrapper->WatchStarted(m_lastError, m_folder);
    // Only lost changes are owed to the handler, and none can be lost before the watch runs.
    m_wrapper->TakePostFailure();
    m_done.SetEvent();
}

void CDirWatchInfo::OnStop(std::vector<CDirWatchInfo *> &owing)
{
    Forget(owing, this);
    {
        CSingleLock hold(&m_lock, TRUE);
        if (m_folderHandle == INVALID_HANDLE_VALUE)
        {
            m_done.SetEvent();
            return;
        }
        CloseFolderHandle();
        m_state = kWatchStopping;
    }
    // The closed handle makes the pending read come back (or the stop packet comes after a read that was done
    // already); in state 3 that packet signals the done event.
    m_wrapper->WatchStopped(m_folder);
}

void CDirWatchInfo::OnReadDone(DWORD bytes, DWORD error, std::vector<CDirWatchInfo *> &owing)
{
    if (error != 0 && error != ERROR_NOTIFY_ENUM_DIR)
    {
        End(error, owing);
        return;
    }
    if (std::find(owing.begin(), owing.end(), this) != owing.end() && PostOwedOverflow())
        Forget(owing, this);
    m_wrapper->SetCurrentFolder(m_folder);
    if (error == ERROR_NOTIFY_ENUM_DIR || bytes == 0)
    {
        // The system could not keep all changes: the read carries none, and half a rename is worth nothing.
        m_pendingOldName.Empty();
        m_wrapper->WatchError(ERROR_NOTIFY_ENUM_DIR, m_folder);
    }
    else
    {
        DeliverChangeRecords(m_buffer, std::min(bytes, kWatchBufferSize), m_folder, m_pendingOldName, *m_wrapper);
    }
    NoteFailedPosts(owing);
    if (PFN_BEFORE_WATCH_READ hold = g_pfnBeforeWatchRead.Get())
        hold(m_folder);
    if (!IssueRead())
    {
        End(::GetLastError(), owing);
        return;
    }
    m_lastError = 0;
}

void CDirWatchInfo::End(DWORD error, std::vector<CDirWatchInfo *> &owing)
{
    Forget(owing, this);
    m_lastError = error;
    bool report;
    {
        CSingleLock hold(&m_lock, TRUE);
        CloseFolderHandle();
        report = m_state == kWatchWatching;
        if (!report)
            m_state = kWatchStopping;
    }
    if (!report)
        return;
    m_pendingOldName.Empty();
    m_wrapper->WatchError(error, m_folder);
    // The watch is not taken out here: the watcher's lock may be held by a removal that waits for this thread.
    // The next holder of that lock destroys it; a removal that came meanwhile gets its stop answered instead.
    CSingleLock hold(&m_lock, TRUE);
    m_state = m_state == kWatchWatching ? kWatchEnded : kWatchStopping;
}

void CDirWatchInfo::NoteFailedPosts(std::vector<CDirWatchInfo *> &owing)
{
    if (m_wrapper->TakePostFailure() && std::find(owing.begin(), owing.end(), this) == owing.end())
        owing.push_back(this);
}

BOOL CDirWatchInfo::PostOwedOverflow()
{
    m_wrapper->WatchError(ERROR_NOTIFY_ENUM_DIR, m_folder);
    return !m_wrapper->TakePostFailure();
}
