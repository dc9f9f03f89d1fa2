#include "bench/CallCount.h"

#include <atomic>
#include <cstring>

#include "engine/journal/RestoreJournal.h"
#include "engine/run/FileOpsSeams.h"

namespace bench
{

namespace
{

enum Slot : size_t
{
    kCreateFile,
    kCloseHandle,
    kReadFile,
    kWriteFile,
    kSetFilePointerEx,
    kSetEndOfFile,
    kFlushFileBuffers,
    kGetFileAttributes,
    kGetFileAttributesEx,
    kGetFileInformationByHandle,
    kGetFileInformationByHandleEx,
    kGetFileSizeEx,
    kSetFileAttributes,
    kSetFileInformationByHandle,
    kSetFileTime,
    kFindFirstFile,
    kFindFirstFileEx,
    kFindNextFile,
    kFindClose,
    kCreateDirectory,
    kRemoveDirectory,
    kMoveFileEx,
    kDeleteFile,
    kGetModuleFileName,
    kLoadString,
    kFormatMessage,
    kFindResource,
    kFindResourceEx,
    kGetDiskFreeSpaceEx,
    kWaitForSingleObject,
    kReleaseMutex,
    kSlots
};

std::atomic<long long> g_counts[kSlots];
std::atomic<long long> g_ticks[kSlots];

long long Ticks()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// One counted function: Call counts and hands on to the function the import table held.
template <size_t S, typename F> struct Counted;
template <size_t S, typename R, typename... A> struct Counted<S, R(WINAPI *)(A...)>
{
    static inline R(WINAPI *real)(A...) = nullptr;
    static R WINAPI Call(A... args)
    {
        g_counts[S].fetch_add(1, std::memory_order_relaxed);
        // The time spent in the call, kept with the caller's last error, which the clock must not change.
        const long long start = Ticks();
        R result = real(args...);
        const DWORD error = ::GetLastError();
        g_ticks[S].fetch_add(Ticks() - start, std::memory_order_relaxed);
        ::SetLastError(error);
        return result;
    }
};

struct Entry
{
    const char *name;
    void *hook;
    void (*setReal)(void *function);
};

template <size_t S, typename F> Entry MakeEntry(const char *name)
{
    using C = Counted<S, F>;
    return Entry{name, reinterpret_cast<void *>(&C::Call),
                 [](void *function) { C::real = reinterpret_cast<F>(function); }};
}

const Entry *Entries()
{
    static const Entry entries[kSlots] = {
        MakeEntry<kCreateFile, decltype(&::CreateFileW)>("CreateFileW"),
        MakeEntry<kCloseHandle, decltype(&::CloseHandle)>("CloseHandle"),
        MakeEntry<kReadFile, decltype(&::ReadFile)>("ReadFile"),
        MakeEntry<kWriteFile, decltype(&::WriteFile)>("WriteFile"),
        MakeEntry<kSetFilePointerEx, decltype(&::SetFilePointerEx)>("SetFilePointerEx"),
        MakeEntry<kSetEndOfFile, decltype(&::SetEndOfFile)>("SetEndOfFile"),
        MakeEntry<kFlushFileBuffers, decltype(&::FlushFileBuffers)>("FlushFileBuffers"),
        MakeEntry<kGetFileAttributes, decltype(&::GetFileAttributesW)>("GetFileAttributesW"),
        MakeEntry<kGetFileAttributesEx, decltype(&::GetFileAttributesExW)>("GetFileAttributesExW"),
        MakeEntry<kGetFileInformationByHandle, decltype(&::GetFileInformationByHandle)>("GetFileInformationByHandle"),
        MakeEntry<kGetFileInformationByHandleEx, decltype(&::GetFileInformationByHandleEx)>(
            "GetFileInformationByHandleEx"),
        MakeEntry<kGetFileSizeEx, decltype(&::GetFileSizeEx)>("GetFileSizeEx"),
        MakeEntry<kSetFileAttributes, decltype(&::SetFileAttributesW)>("SetFileAttributesW"),
        MakeEntry<kSetFileInformationByHandle, decltype(&::SetFileInformationByHandle)>("SetFileInformationByHandle"),
        MakeEntry<kSetFileTime, decltype(&::SetFileTime)>("SetFileTime"),
        MakeEntry<kFindFirstFile, decltype(&::FindFirstFileW)>("FindFirstFileW"),
        MakeEntry<kFindFirstFileEx, decltype(&::FindFirstFileExW)>("FindFirstFileExW"),
        MakeEntry<kFindNextFile, decltype(&::FindNextFileW)>("FindNextFileW"),
        MakeEntry<kFindClose, decltype(&::FindClose)>("FindClose"),
        MakeEntry<kCreateDirectory, decltype(&::CreateDirectoryW)>("CreateDirectoryW"),
        MakeEntry<kRemoveDirectory, decltype(&::RemoveDirectoryW)>("RemoveDirectoryW"),
        MakeEntry<kMoveFileEx, decltype(&::MoveFileExW)>("MoveFileExW"),
        MakeEntry<kDeleteFile, decltype(&::DeleteFileW)>("DeleteFileW"),
        MakeEntry<kGetModuleFileName, decltype(&::GetModuleFileNameW)>("GetModuleFileNameW"),
        MakeEntry<kLoadString, decltype(&::LoadStringW)>("LoadStringW"),
        MakeEntry<kFormatMessage, decltype(&::FormatMessageW)>("FormatMessageW"),
        MakeEntry<kFindResource, decltype(&::FindResourceW)>("FindResourceW"),
        MakeEntry<kFindResourceEx, decltype(&::FindResourceExW)>("FindResourceExW"),
        MakeEntry<kGetDiskFreeSpaceEx, decltype(&::GetDiskFreeSpaceExW)>("GetDiskFreeSpaceExW"),
        MakeEntry<kWaitForSingleObject, decltype(&::WaitForSingleObject)>("WaitForSingleObject"),
        MakeEntry<kReleaseMutex, decltype(&::ReleaseMutex)>("ReleaseMutex"),
    };
    return entries;
}

// Points every import of a counted function at its counter, whichever library the import names.
BOOL PatchImports()
{
    BYTE *base = reinterpret_cast<BYTE *>(::GetModuleHandleW(nullptr));
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return FALSE;
    const Entry *entries = Entries();
    for (auto *library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
         library->Name != 0; ++library)
    {
        const DWORD namesAt = library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk;
        const auto *names = reinterpret_cast<const IMAGE_THUNK_DATA *>(base + namesAt);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots)
        {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto *byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            for (size_t i = 0; i < kSlots; ++i)
            {
                if (std::strcmp(reinterpret_cast<const char *>(byName->Name), entries[i].name) != 0)
                    continue;
                DWORD old = 0;
                if (!::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old))
                    return FALSE;
                entries[i].setReal(reinterpret_cast<void *>(slots->u1.Function));
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(entries[i].hook);
                ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
            }
        }
    }
    return TRUE;
}

// A seam took its system function when the program started, before the import table was patched.
template <size_t S, typename F> void CountSeam(Seam<F> &seam)
{
    using C = Counted<S, F>;
    if (C::real == nullptr)
        C::real = seam.Get();
    seam.Exchange(&C::Call);
}

} // namespace

BOOL StartCountingCalls()
{
    static const BOOL started = [] {
        if (!PatchImports())
            return FALSE;
        CountSeam<kMoveFileEx>(g_pfnMoveFileEx);
        CountSeam<kGetFileAttributesEx>(g_pfnGetFileAttributesEx);
        CountSeam<kFindFirstFile>(g_pfnFindFirstFile);
        CountSeam<kFindNextFile>(g_pfnFindNextFile);
        CountSeam<kWriteFile>(g_pfnJournalWrite);
        return TRUE;
    }();
    return started;
}

CallCounts TakeCallCounts()
{
    CallCounts counts(2 * kSlots);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (size_t i = 0; i < kSlots; ++i)
    {
        counts[i] = g_counts[i].load(std::memory_order_relaxed);
        counts[kSlots + i] = g_ticks[i].load(std::memory_order_relaxed) * 1000000 / frequency.QuadPart;
    }
    return counts;
}

CallCounts CallsBetween(const CallCounts &before, const CallCounts &after)
{
    CallCounts difference(2 * kSlots, 0);
    for (size_t i = 0; i < 2 * kSlots && i < before.size() && i < after.size(); ++i)
        difference[i] = after[i] - before[i];
    return difference;
}

const std::vector<std::string> &CountedCallNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (size_t i = 0; i < kSlots; ++i)
            all.push_back(Entries()[i].name);
        return all;
    }();
    return names;
}

} // namespace bench
