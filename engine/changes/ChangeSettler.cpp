#include "engine/changes/ChangeSettler.h"

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

CChangeSettler::CChangeSettler(Sink sink) : m_sink(std::move(sink))
{
}

void CChangeSettler::OnNewEntry(FileChangeEntryPtr entry)
{
    if (!entry)
        return;
    switch (entry->action)
    {
    case kChangeAdded:
    case kChangeModified:
        for (FileChangeEntryPtr &pending : m_pending)
        {
            if (SamePath(pending->path, entry->path))
            {
                // The file was looked at again just now: the wait starts over from what it is now.
                pending->settleCount = kSettleTicks;
                pending->lastWrite = entry->lastWrite;
                pending->sizeHigh = entry->sizeHigh;
                pending->sizeLow = entry->sizeLow;
                return;
            }
        }
        m_pending.push_back(std::move(entry));
        return;
    case kChangeRemoved:
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
        {
            if (SamePath((*it)->path, entry->path))
            {
                m_pending.erase(it);
                break;
            }
        }
        break;
    case kChangeRenamed:
        for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
        {
            FileChangeEntry &pending = **it;
            if (SamePath(pending.path, entry->path))
            {
                // The file goes as added or modified under its new name.
                SetChangeEntryPath(pending, entry->secondPath);
                pending.settleCount = kSettleTicks;
                return;
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
    m_sink(std::move(entry));
}

void CChangeSettler::OnTick()
{
    // Every record counts its tick down, also those after the one that settles on this tick: a record waits its
    // three ticks however busy the list is. Still at most one record is processed a tick, the first stable one.
    auto settled = m_pending.end();
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
    {
        FileChangeEntry &entry = **it;
        if (entry.settleCount != 0)
        {
            --entry.settleCount;
            continue;
        }
        if (settled != m_pending.end())
            continue; // tested on the next tick
        if (IsChangedFileLocked(entry.path) || HasChanged(entry))
        {
            ++entry.settleCount;
            continue;
        }
        settled = it;
    }
    if (settled == m_pending.end())
        return;
    FileChangeEntryPtr entry = std::move(*settled);
    m_pending.erase(settled);
    // The sink may come back here (a message dispatched while it works): nothing of the walk is used after.
    m_sink(std::move(entry));
}
