// CopyFileViaTemp: the task runner's straight copy of one file over its target.
#include "engine/task/SyncTask.h"

#include "engine/job/SyncJob.h"
#include "engine/program/AppPaths.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"
#include "platform/system/FileAttributes.h"

namespace
{

constexpr DWORD kReadOnlyOrHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

bool Exists(LPCWSTR path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Fails with the error and leaves it as the thread's last error.
int Fail(int result, DWORD error)
{
    ::SetLastError(error);
    return result;
}

} // namespace

int CopyFileViaTemp(CSyncJob *job, LPCWSTR source, LPCWSTR target)
{
    if (source == nullptr || target == nullptr || *source == L'\0' || *target == L'\0')
        return Fail(TASK_FAILED, ERROR_INVALID_PARAMETER);
    const DWORD sourceAttributes = ::GetFileAttributesW(source);
    if (sourceAttributes != INVALID_FILE_ATTRIBUTES && (sourceAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return TASK_DONE;
    if (wcslen(target) >= static_cast<size_t>(kMaxPathChars))
    {
        if (job != nullptr)
            job->CopyToRecycledFolder(source);
        return Fail(TASK_PATH_TOO_LONG, ERROR_FILENAME_EXCED_RANGE);
    }
    if (!CreateDestinationFolder(target, 0))
        return TASK_NO_FOLDER;

    // What the target had before anything was changed, for a target that ends up as it was.
    const DWORD original = ::GetFileAttributesW(target);
    ClearReadOnly(target);
    if (job != nullptr)
        job->PostStatus(source);

    // The attributes a new copy gets; read-only is gone from them.
    const DWORD kept = ::GetFileAttributesW(target);
    if (kept != INVALID_FILE_ATTRIBUTES)
    {
        ::SetFileAttributesW(target,
                             (kept & ~kReadOnlyOrHidden) != 0 ? kept & ~kReadOnlyOrHidden : FILE_ATTRIBUTE_NORMAL);
    }
    else
    {
        const DWORD error = ::GetLastError();
        if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        {
            if (job != nullptr && !job->IsRetryableError(error))
                job->LogError(error, target);
            return Fail(TASK_FAILED, error);
        }
    }
    // A new copy gets the attributes read after the read-only one was cleared; an old target that stays gets
    // back all of its own.
    auto restoreKept = [&](bool copied) {
        if (kept != INVALID_FILE_ATTRIBUTES && Exists(target))
            AfxSetFileAttributes(target, copied || original == INVALID_FILE_ATTRIBUTES ? kept : original);
    };

    // A source that another program keeps open cannot be read whole: the old target is worth more than a
    // failed copy over it. The handle only asks; it is closed at once, or the file's name would stay taken.
    {
        CKernelHandle probe(::CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.IsValid() && ::GetLastError() == ERROR_SHARING_VIOLATION && kept != INVALID_FILE_ATTRIBUTES)
        {
            restoreKept(false);
            return Fail(TASK_FAILED, ERROR_SHARING_VIOLATION);
        }
    }

    // An Office document's old copy waits aside until the new one is whole.
    const CString aside = CString(target) + L".tmp";
    bool setAside = false;
    if (kept != INVALID_FILE_ATTRIBUTES && IsDocumentExtension(target))
        setAside = g_pfnMoveFileEx(target, aside, MOVEFILE_REPLACE_EXISTING) != FALSE;

    const BOOL copied = g_pfnCopyFileEx(source, target, job != nullptr ? &CSyncJob::CopyProgressRoutine : nullptr, job,
                                        job != nullptr ? job->GetCancelPointer() : nullptr, 0);
    const DWORD error = copied ? 0 : ::GetLastError();
    if (!copied && error == ERROR_DISK_FULL && job != nullptr)
    {
        job->LogStatus(error);
        job->m_diskFull = TRUE;
    }
    if (setAside)
    {
        if (Exists(target))
            ::DeleteFileW(aside);
        else
            g_pfnMoveFileEx(aside, target, 0);
    }
    restoreKept(copied != FALSE);
    return copied ? TASK_DONE : Fail(TASK_FAILED, error);
}
