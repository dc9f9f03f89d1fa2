// Revisions: the numbered copies name(NN)ext beside a target, their rotation and the copy into the next one.
#include "engine/task/SyncTask.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "engine/run/DestPaths.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"
#include "platform/system/FileAttributes.h"

namespace
{

constexpr DWORD kReadOnlyOrHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
constexpr int kMaxRevisionDigits = 9;
// A count below 0 keeps every revision: the largest 16-bit count.
constexpr unsigned kKeepAll = 0xFFFF;

// A target split as its revisions are named: folder (with its backslash), file name and extension (from the
// name's last ".", empty without one).
struct RevisionName
{
    explicit RevisionName(const CString &target)
    {
        const int slash = target.ReverseFind(L'\\');
        folder = target.Left(slash + 1);
        const CString file = target.Mid(slash + 1);
        const int dot = file.ReverseFind(L'.');
        base = dot >= 0 ? file.Left(dot) : file;
        extension = dot >= 0 ? file.Mid(dot) : CString();
    }

    CString Numbered(unsigned number) const
    {
        CString name;
        name.Format(L"%s%s(%02u)%s", folder.GetString(), base.GetString(), number, extension.GetString());
        return name;
    }

    // The number of a file name of exactly the form base(NN)extension, as the program writes it; -1 for any
    // other name ("report-old(00).txt", "report(1).txt", "report(007).txt").
    long long NumberOf(const CString &file) const
    {
        const int digits = file.GetLength() - base.GetLength() - extension.GetLength() - 2;
        if (digits < 2 || digits > kMaxRevisionDigits)
            return -1;
        if (file.Left(base.GetLength()).CompareNoCase(base) != 0 || file[base.GetLength()] != L'(' ||
            file[base.GetLength() + 1 + digits] != L')' ||
            file.Right(extension.GetLength()).CompareNoCase(extension) != 0)
            return -1;
        const int first = base.GetLength() + 1;
        if (digits > 2 && file[first] == L'0')
            return -1;
        long long number = 0;
        for (int i = first; i < first + digits; ++i)
        {
            if (file[i] < L'0' || file[i] > L'9')
                return -1;
            number = number * 10 + (file[i] - L'0');
        }
        return number;
    }

    CString folder;
    CString base;
    CString extension;
};

struct Revision
{
    long long number;
    CString path;
};

// The target's revisions, oldest first.
std::vector<Revision> ListRevisions(const RevisionName &name)
{
    std::vector<Revision> found;
    WIN32_FIND_DATAW entry;
    CFindHandle find(::FindFirstFileW(name.folder + name.base + L"(*", &entry));
    if (!find.IsValid())
        return found;
    do
    {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const long long number = name.NumberOf(entry.cFileName);
        if (number >= 0)
            found.push_back(Revision{number, name.folder + entry.cFileName});
    } while (::FindNextFileW(find, &entry));
    std::sort(found.begin(), found.end(), [](const Revision &a, const Revision &b) { return a.number < b.number; });
    return found;
}

// Both files hold the same bytes (each read as far as they are equal).
bool SameBytes(LPCWSTR first, LPCWSTR second)
{
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    CKernelHandle a(
        ::CreateFileW(first, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    CKernelHandle b(
        ::CreateFileW(second, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!a.IsValid() || !b.IsValid())
        return false;
    std::vector<char> bufferA(64 * 1024), bufferB(64 * 1024);
    for (;;)
    {
        DWORD readA = 0, readB = 0;
        if (!::ReadFile(a.Get(), bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr) ||
            !::ReadFile(b.Get(), bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr) ||
            readA != readB || memcmp(bufferA.data(), bufferB.data(), readA) != 0)
            return false;
        if (readA == 0)
            return true;
    }
}

// The newest revision of the target is source's version already: same size, last-write time and bytes.
bool IsNewestRevision(LPCWSTR source, const RevisionName &name)
{
    const std::vector<Revision> found = ListRevisions(name);
    WIN32_FILE_ATTRIBUTE_DATA mine, newest;
    if (found.empty() || !::GetFileAttributesExW(source, GetFileExInfoStandard, &mine) ||
        !::GetFileAttributesExW(found.back().path, GetFileExInfoStandard, &newest))
        return false;
    return mine.nFileSizeHigh == newest.nFileSizeHigh && mine.nFileSizeLow == newest.nFileSizeLow &&
           ::CompareFileTime(&mine.ftLastWriteTime, &newest.ftLastWriteTime) == 0 &&
           SameBytes(source, found.back().path);
}

unsigned Limit(int maxVersions)
{
    if (maxVersions < 0)
        return kKeepAll;
    return std::min(static_cast<unsigned>(maxVersions), kKeepAll);
}

} // namespace

WORD RotateRevisions(LPCWSTR target, int maxVersions, LPWSTR out, size_t capacity)
{
    if (out != nullptr && capacity > 0)
        out[0] = L'\0';
    const RevisionName name(target != nullptr ? target : L"");
    const std::vector<Revision> found = ListRevisions(name);
    const size_t count = found.size();
    const unsigned limit = Limit(maxVersions);

    // The oldest go until one place is left below the limit; one that cannot be deleted keeps its place.
    std::vector<Revision> kept;
    size_t dropping = limit > 0 && count >= limit ? count - limit + 1 : 0;
    for (const Revision &revision : found)
    {
        if (dropping > 0)
        {
            --dropping;
            ClearReadOnly(revision.path);
            if (::DeleteFileW(revision.path))
                continue;
        }
        kept.push_back(revision);
    }

    // Renumbered in ascending order, so that each new name is free: it belongs to no revision still ahead.
    long long highest = -1;
    for (size_t i = 0; i < kept.size(); ++i)
    {
        long long number = kept[i].number;
        if (number != static_cast<long long>(i) &&
            ::MoveFileExW(kept[i].path, name.Numbered(static_cast<unsigned>(i)), 0))
            number = static_cast<long long>(i);
        highest = std::max(highest, number);
    }

    const unsigned next = static_cast<unsigned>(std::max<long long>(static_cast<long long>(kept.size()), highest + 1));
    const CString chosen = name.Numbered(next);
    if (out != nullptr && static_cast<size_t>(chosen.GetLength()) < capacity)
        wcscpy(out, chosen);
    return static_cast<WORD>(std::min<size_t>(count, kKeepAll));
}

int CopyFileWithRevisions(LPCWSTR source, LPCWSTR target, int maxVersions)
{
    if (source == nullptr || target == nullptr || *target == L'\0' || maxVersions == 0)
        return TASK_DONE;
    const DWORD sourceAttributes = ::GetFileAttributesW(source);
    if (sourceAttributes != INVALID_FILE_ATTRIBUTES && (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return TASK_DONE;
    // Callers replace or delete the copy once its revision is made: a revision that was not made is a failure.
    // A revision name that would not fit is refused before the rotation drops an old one for it.
    const size_t targetLength = wcslen(target);
    if (targetLength >= static_cast<size_t>(kMaxPathChars) ||
        RevisionName(target).Numbered(0).GetLength() >= kMaxPathChars)
    {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return TASK_FAILED;
    }
    if (!CreateDestinationFolder(target, 0))
        return TASK_FAILED;
    if (IsNewestRevision(source, RevisionName(target)))
        return TASK_DONE;

    std::vector<wchar_t> name(targetLength + 10, L'\0');
    RotateRevisions(target, maxVersions, name.data(), name.size());
    if (name[0] == L'\0' || wcslen(name.data()) >= static_cast<size_t>(kMaxPathChars))
    {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return TASK_FAILED;
    }
    ClearReadOnly(name.data());
    const DWORD kept = ::GetFileAttributesW(name.data());
    if (kept != INVALID_FILE_ATTRIBUTES)
    {
        ::SetFileAttributesW(name.data(),
                             (kept & ~kReadOnlyOrHidden) != 0 ? kept & ~kReadOnlyOrHidden : FILE_ATTRIBUTE_NORMAL);
    }
    else
    {
        const DWORD error = ::GetLastError();
        if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        {
            ::SetLastError(error);
            return TASK_FAILED;
        }
    }

    const BOOL copied = g_pfnCopyFileEx(source, name.data(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
    const DWORD error = copied ? 0 : ::GetLastError();
    if (kept != INVALID_FILE_ATTRIBUTES)
        AfxSetFileAttributes(name.data(), kept);
    if (copied)
        return TASK_DONE;
    ::SetLastError(error);
    return error == ERROR_DISK_FULL ? TASK_DISK_FULL : TASK_FAILED;
}
