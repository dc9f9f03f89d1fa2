#include "engine/changes/ChangeSettler.h"

#include <algorithm>
#include <cwchar>

#include "engine/watch/DirectoryChangeHandler.h"
#include "platform/system/Handles.h"

namespace
{

bool SamePath(LPCWSTR a, LPCWSTR b)
{
    return *a != L'\0' && _wcsicmp(a, b) == 0;
}

void ReadFileState(LPCWSTR path, FILETIME &lastWrite, DWORD &sizeHigh, DWORD &sizeLow, bool &readable)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    readable = ::GetFileAttributesExW(path, GetFileExInfoStandard, &data) != FALSE;
    lastWrite = readable ? data.ftLastWriteTime : FILETIME();
    sizeHigh = readable ? data.nFileSizeHigh : 0;
    sizeLow = readable ? data.nFileSizeLow : 0;
}

// Stores the file's present state in the record; TRUE when it differs from what the record held.
bool HasChanged(FileChangeEntry &entry)
{
    FILETIME lastWrite;
    DWORD sizeHigh, sizeLow;
    bool readable;
    ReadFileState(entry.path, lastWrite, sizeHigh, sizeLow, readable);
    if (!readable)
        return false;
    const bool changed =
        ::CompareFileTime(&lastWrite, &entry.lastWrite) != 0 || sizeHigh != entry.sizeHigh || sizeLow != entry.sizeLow;
    entry.lastWrite = lastWrite;
    entry.sizeHigh = sizeHigh;
    entry.sizeLow = sizeLow;
    return changed;
}

} // namespace

BOOL FitsChangeEntry(LPCWSTR path)
{
    return path == nullptr || wcslen(path) < MAX_PATH;
}

FileChangeEntryPtr MakeFileChangeEntry(DWORD action, LPCWSTR path, LPCWSTR secondPath)
{
    if (!FitsChangeEntry(path) || !FitsChangeEntry(secondPath))
        return nullptr;
    FileChangeEntryPtr entry(new FileChangeEntry());
    entry->action = action;
    wcscpy(entry->path, path != nullptr ? path : L"");
    wcscpy(entry->secondPath, secondPath != nullptr ? secondPath : L"");
    bool readable;
    ReadFileState(entry->path, entry->lastWrite, entry->sizeHigh, entry->sizeLow, readable);
    entry->settleCount = kSettleTicks;
    return entry;
}

BOOL SetChangeEntryPath(FileChangeEntry &entry, LPCWSTR path)
{
    if (path == nullptr || !FitsChangeEntry(path))
        return FALSE;
    wcscpy(entry.path, path);
    return TRUE;
}

BOOL IsChangedFileLocked(LPCWSTR path)
{
    const size_t length = wcslen(path);
    if (length >= 4 && _wcsicmp(path + length - 4, L".doc") == 0)
        return FALSE;
    CKernelHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

CChangeSettler::CChangeSettler(Sink sink, Sink lockedSink, GroupSink renameSink)
    : m_sink(std::move(sink)), m_lockedSink(std::move(lockedSink)), m_renameSink(std::move(renameSink))
{
}

std::vector<CChangeSettler::Pending>::iterator CChangeSettler::Find(LPCWSTR path)
{
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
    {
        if (SamePath(it->entry->path, path))
            return it;
    }
    return m_pending.end();
}

bool CChangeSettler::IsPending(LPCWSTR path) const
{
    for (const Pending &pending : m_pending)
    {
        if (SamePath(pending.entry->path, path))
            return true;
    }
    return IsRenameWaiting(path);
}

bool CChangeSettler::IsRenameWaiting(LPCWSTR path) const
{
    for (const FileChangeEntryPtr &rename : m_renames)
    {
        if (SamePath(rename->path, path) || SamePath(rename->secondPath, path))
            return true;
    }
    return false;
}

void CChangeSettler::HandOverRenames()
{
    if (m_renames.empty())
        return;
    std::vector<FileChangeEntryPtr> renames;
    renames.swap(m_renames);
    m_renameSink(std::move(renames));
}

void CChangeSettler::OnNewEntry(FileChangeEntryPtr entry)
{
    if (!entry)
        return;
    switch (entry->action)
    {
    case kChangeAdded:
    case kChangeModified: {
        auto found = Find(entry->path);
        if (found != m_pending.end())
        {
            // The file was looked at again just now: the wait starts over from what it is now.
            FileChangeEntry &pending = *found->entry;
            pending.settleCount = kSettleTicks;
            pending.lastWrite = entry->lastWrite;
            pending.sizeHigh = entry->sizeHigh;
            pending.sizeLow = entry->sizeLow;
            found->state = State::Waiting;
            return;
        }
        m_pending.push_back(Pending{std::move(entry), State::Waiting, 0});
        return;
    }
    case kChangeRemoved: {
        auto found = Find(entry->path);
        if (found != m_pending.end())
            m_pending.erase(found);
        break;
    }
    case kChangeRenamed:
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
        {
            FileChangeEntry &pending = *it->entry;
            if (SamePath(pending.path, entry->path) && SetChangeEntryPath(pending, entry->secondPath))
            {
                // The file goes as added or modified under its new name; a copy under its old name goes as the
                // old name's removal.
                pending.settleCount = kSettleTicks;
                it->state = State::Waiting;
                entry->action = kChangeRemoved;
                entry->secondPath[0] = L'\0';
                // A record of the name it took over (a safe save renames its new copy onto the old name) is
                // the same file now.
                for (auto other = m_pending.begin(); other != m_pending.end(); ++other)
                {
                    if (other != it && SamePath(other->entry->path, pending.path))
                    {
                        m_pending.erase(other);
                        break;
                    }
                }
                break;
            }
            if (SamePath(pending.secondPath, entry->path))
            {
                m_pending.erase(it);
                break;
            }
        }
        break;
    default:
        break;
    }
    if (entry->action == kChangeRenamed && m_renameSink)
    {
        m_renames.push_back(std::move(entry));
        m_lastRenameTick = m_ticks;
        return;
    }
    // What goes on at once may concern a renamed file: the renames that came before it go first.
    HandOverRenames();
    m_sink(std::move(entry));
}

bool CChangeSettler::OnTick()
{
    ++m_ticks;
    for (Pending &pending : m_pending)
    {
        FileChangeEntry &entry = *pending.entry;
        if (pending.state != State::Waiting)
            continue;
        if (entry.settleCount != 0)
        {
            --entry.settleCount;
            continue;
        }
        if (IsChangedFileLocked(entry.path))
        {
            if (pending.lockedSince == 0)
                pending.lockedSince = m_ticks;
            if (m_lockedSink && m_ticks - pending.lockedSince >= kLockedTicks)
                pending.state = State::LockedTooLong;
            else
                ++entry.settleCount;
            continue;
        }
        pending.lockedSince = 0;
        if (HasChanged(entry))
        {
            ++entry.settleCount;
            continue;
        }
        pending.state = State::Settled;
    }
    if (!m_renames.empty() && m_ticks - m_lastRenameTick >= kRenameQuietTicks)
        HandOverRenames();
    return HandOver();
}

bool CChangeSettler::HandOver()
{
    const ULONGLONG start = ::GetTickCount64();
    for (;;)
    {
        // Looked for again after every record: the sink may come back here and change the list (a message
        // dispatched while it works).
        // A file of a waiting rename is handled after it.
        auto next = std::find_if(m_pending.begin(), m_pending.end(), [this](const Pending &pending) {
            return pending.state != State::Waiting && !IsRenameWaiting(pending.entry->path);
        });
        if (next == m_pending.end())
            return false;
        if (::GetTickCount64() - start >= kHandOverBudgetMs)
            return true;
        const bool locked = next->state == State::LockedTooLong;
        FileChangeEntryPtr entry = std::move(next->entry);
        m_pending.erase(next);
        (locked ? m_lockedSink : m_sink)(std::move(entry));
    }
}
