// FileChangeEntry: one change of a watched file on its way from the watcher to change processing (the settle
// list of CFileMonOperation, then CChangeProcessor), owned by whoever holds it last.
#pragma once
#include <windows.h>

#include <memory>

constexpr DWORD kSettleTicks = 3;

struct FileChangeEntry
{
    DWORD action;                 // 1 added, 2 removed, 3 modified, 4 renamed (kChangeAdded ...)
    wchar_t path[MAX_PATH];       // the changed path; for a rename the old path
    wchar_t secondPath[MAX_PATH]; // the new path of a rename, else empty
    FILETIME lastWrite;           // of the path when it was last looked at
    DWORD sizeHigh;
    DWORD sizeLow;
    DWORD settleCount; // ticks to wait before the next test
};
static_assert(sizeof(FileChangeEntry) == 1064, "a change record is 1064 bytes");

using FileChangeEntryPtr = std::unique_ptr<FileChangeEntry>;

// TRUE when the path fits a record's field whole (at most MAX_PATH - 1 units).
BOOL FitsChangeEntry(LPCWSTR path);
// A new record (settle count 3) with the path's present last-write time and size (all 0 when they cannot be
// read). Null when a path does not fit: a path cut to fit could name another file, which would then be copied,
// renamed or deleted in its place.
FileChangeEntryPtr MakeFileChangeEntry(DWORD action, LPCWSTR path, LPCWSTR secondPath);
// Replaces the record's path; FALSE (record unchanged) when the new one does not fit.
BOOL SetChangeEntryPath(FileChangeEntry &entry, LPCWSTR path);
