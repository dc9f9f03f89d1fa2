// CopyFileViaTemp: the task runner's safe replace of one file: the new copy is written beside the target under
// a temporary name and only then moved over it.
#include "engine/task/SyncTask.h"

#include "engine/job/SyncJob.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/run/SyncJobCopyOne.h"
#include "platform/system/FileAttributes.h"
#include "platform/system/Handles.h"

namespace
{

constexpr DWORD kReadOnlyOrHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

// Fails with the error and leaves it as the thread's last error.
int Fail(int result, DWORD error)
{
    ::SetLastError(error);
    return result;
}

bool FitsWithItsTemporaryNames(LPCWSTR target)
{
    return wcslen(target) < static_cast<size_t>(kMaxPathChars) &&
           MakeTemporaryCopyName(target, kTemporaryNameTries - 1).GetLength() < kMaxPathChars;
}

// The copy routine gives the temporary copy the source's attributes, read-only among them, which a plain
// delete refuses.
void DeleteTemporary(const CString &path)
{
    ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path);
}

DWORD Without(DWORD attributes, DWORD dropped)
{
    const DWORD kept = attributes & ~dropped;
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

} // namespace

int CopyFileViaTemp(CSyncJob *job, LPCWSTR source, LPCWSTR target)
{
    return CopyFileViaTemp(job, source, target, std::function<bool()>());
}

int CopyFileViaTemp(CSyncJob *job, LPCWSTR source, LPCWSTR target, const std::function<bool()> &beforeReplace)
{
    if (source == nullptr || target == nullptr || *source == L'\0' || *target == L'\0')
        return Fail(TASK_FAILED, ERROR_INVALID_PARAMETER);
    const DWORD sourceAttributes = ::GetFileAttributesW(source);
    if (sourceAttributes != INVALID_FILE_ATTRIBUTES && (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return TASK_DONE;
    if (!FitsWithItsTemporaryNames(target))
    {
        if (job != nullptr)
            job->CopyToRecycledFolder(source);
        return Fail(TASK_PATH_TOO_LONG, ERROR_FILENAME_EXCED_RANGE);
    }
    if (!CreateDestinationFolder(target, 0))
        return TASK_NO_FOLDER;
    if (job != nullptr)
        job->PostStatus(source);

    const DWORD original = ::GetFileAttributesW(target);
    if (original == INVALID_FILE_ATTRIBUTES)
    {
        const DWORD error = ::GetLastError();
        if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        {
            if (job != nullptr && !job->IsRetryableError(error))
                job->LogError(error, target);
            return Fail(TASK_FAILED, error);
        }
    }

    // A source that another program keeps open cannot be read whole: the old target is worth more than a
    // failed copy. The handle only asks; it is closed at once, or the file's name would stay taken.
    {
        CKernelHandle probe(::CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION && original != INVALID_FILE_ATTRIBUTES)
            return Fail(TASK_FAILED, ERROR_SHARING_VIOLATION);
    }

    // The old target keeps its name and its bytes until the new copy is whole: a cancel, a full disk, a pulled
    // drive or a killed process cuts off only the temporary copy, which the copy routine (or, after a crash,
    // the next copy to the same name) deletes.
    CString temporary;
    if (!CopyToTemporaryName(job, source, target, temporary))
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_DISK_FULL && job != nullptr)
        {
            job->LogStatus(error);
            job->m_diskFull = TRUE;
        }
        return Fail(TASK_FAILED, error);
    }
    // What the new copy replaces is kept now, once the copy stands whole, or not at all.
    if (original != INVALID_FILE_ATTRIBUTES && beforeReplace && !beforeReplace())
    {
        DeleteTemporary(temporary);
        return Fail(TASK_FAILED, ERROR_CANCELLED);
    }
    // A replaced target's attributes go to its new copy, read-only aside; a new target has the source's.
    if (original != INVALID_FILE_ATTRIBUTES)
        AfxSetFileAttributes(temporary, Without(original, FILE_ATTRIBUTE_READONLY));
    // The move refuses to replace a read-only target, and some file systems a hidden one.
    const bool cleared = original != INVALID_FILE_ATTRIBUTES && (original & kReadOnlyOrHidden) &&
                         AfxSetFileAttributes(target, Without(original, kReadOnlyOrHidden));
    if (!g_pfnMoveFileEx(temporary, target, MOVEFILE_REPLACE_EXISTING))
    {
        const DWORD error = ::GetLastError();
        DeleteTemporary(temporary);
        if (cleared)
            AfxSetFileAttributes(target, original);
        return Fail(TASK_FAILED, error);
    }
    return TASK_DONE;
}
