#include <memory>

#include "engine/program/AppPaths.h"
#include "engine/run/SyncJobCopyOne.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"
#include "platform/system/FileAttributes.h"

namespace
{

constexpr DWORD kReadOnlyOrHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

CString WithoutTrailingBackslashes(LPCWSTR path)
{
    CString text(path != nullptr ? path : L"");
    int length = text.GetLength();
    while (length > 0 && text[length - 1] == L'\\')
        --length;
    return text.Left(length);
}

bool IsDriveRoot(LPCWSTR path)
{
    return path != nullptr && IsDriveLetterPath(path);
}

// Copies source beside target under a temporary name, then moves it over target; on failure the temporary copy
// is gone and error holds the reason.
BOOL ReplaceThroughTemporary(CSyncJob &job, const CString &source, const CString &target, DWORD &error)
{
    CString temporary;
    if (CopyToTemporaryName(&job, source, target, temporary) &&
        g_pfnMoveFileEx(temporary, target, MOVEFILE_REPLACE_EXISTING))
        return TRUE;
    error = ::GetLastError();
    if (!temporary.IsEmpty())
    {
        ::SetFileAttributesW(temporary, FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(temporary);
    }
    return FALSE;
}

} // namespace

int CSyncJob::CopyFolder(LPCWSTR source, LPCWSTR target, LPCWSTR revisionPath, int maxVersions)
{
    if (m_diskFull)
        return 0;
    const CString jobName = m_jobDef->GetName();
    // Joined below with one backslash; a drive root keeps its own ("X:" + "\" + name).
    const CString sourceFolder = WithoutTrailingBackslashes(source);
    const CString targetFolder = WithoutTrailingBackslashes(target);
    if (sourceFolder.IsEmpty() || targetFolder.IsEmpty())
    {
        m_log.LogIdAt(L"SyncJob", __LINE__, ERROR_INVALID_NAME, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE, jobName.GetString(),
                      target != nullptr ? target : L"");
        return 0;
    }

    DWORD created = CreateFolderPath(targetFolder);
    if (!IsDriveRoot(source))
    {
        DWORD attributes = ::GetFileAttributesW(sourceFolder);
        if (attributes != INVALID_FILE_ATTRIBUTES)
            AfxSetFileAttributes(targetFolder, attributes);
    }
    if (created != 0 && created != ERROR_ALREADY_EXISTS &&
        !(created == ERROR_ACCESS_DENIED && IsDriveLetterPath(target)))
    {
        m_log.LogIdAt(L"SyncJob", __LINE__, created, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE, jobName.GetString(), target);
        return 0;
    }

    const CString pattern = sourceFolder + L"\\*.*";
    // Off the stack: the walk recurses once per folder level.
    auto found = std::make_unique<WIN32_FIND_DATAW>();
    CFindHandle listing(::FindFirstFileW(pattern, found.get()));
    if (!listing.IsValid())
    {
        m_log.LogAt(L"SyncJob", __LINE__, ::GetLastError(), LM_ERROR,
                    L"%s\n- File: %s\n- Unable to iterate the pattern.\n- Error: %m\n", jobName.GetString(),
                    pattern.GetString());
        return 0;
    }

    do
    {
        const CString name = found->cFileName;
        if (name == L"." || name == L"..")
            continue;
        // A junction or link can lead back into the tree being copied.
        if (found->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        const CString sourcePath = sourceFolder + L'\\' + name;
        const CString targetPath = targetFolder + L'\\' + name;
        if (found->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (!CopyFolder(sourcePath, targetPath, revisionPath, maxVersions))
                return 0;
            continue;
        }
        if (IsExcludedFile(name) || IsExcluded(name) || !IsIncluded(name))
            continue;
        PostStatus(sourcePath);

        DWORD kept = ::GetFileAttributesW(targetPath);
        if (kept == INVALID_FILE_ATTRIBUTES)
        {
            DWORD error = ::GetLastError();
            if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            {
                m_log.LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_ATTRIBUTES_FAILED, jobName.GetString(),
                              targetPath.GetString());
                if (IsRetryableError(error))
                    return 0;
                LogError(error, targetPath);
                continue;
            }
        }
        else if (kept & kReadOnlyOrHidden)
        {
            AfxSetFileAttributes(targetPath, kept & ~kReadOnlyOrHidden);
        }

        if (m_cancelFlag)
            return 0;

        BOOL copied = FALSE;
        DWORD error = ERROR_FILENAME_EXCED_RANGE;
        // A path the system cannot take is not tried (it could land elsewhere where the limit is not kept).
        if (kept == INVALID_FILE_ATTRIBUTES && targetPath.GetLength() < kMaxPathChars)
        {
            copied =
                g_pfnCopyFileEx(sourcePath, targetPath, &CSyncJob::CopyProgressRoutine, this, GetCancelPointer(), 0);
            if (!copied)
                error = ::GetLastError();
        }
        else if (kept != INVALID_FILE_ATTRIBUTES &&
                 MakeTemporaryCopyName(targetPath, kTemporaryNameTries - 1).GetLength() < kMaxPathChars)
        {
            // The copy routine empties its target before it writes: an existing copy is replaced only once the
            // new one stands complete beside it, so that a full disk or a cancel leaves it whole.
            copied = ReplaceThroughTemporary(*this, sourcePath, targetPath, error);
        }
        if (!copied)
        {
            if (m_cancelFlag)
            {
                if (kept != INVALID_FILE_ATTRIBUTES)
                    AfxSetFileAttributes(targetPath, kept);
                return 0;
            }
            m_log.LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_COPY_FAILED, FormatNow().GetString(),
                          sourcePath.GetString());
            if (error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                CopyToRecycledFolder(sourcePath);
            if (error == ERROR_DISK_FULL)
            {
                m_diskFull = TRUE;
                if (kept != INVALID_FILE_ATTRIBUTES)
                    AfxSetFileAttributes(targetPath, kept);
                return 0;
            }
        }
        if (kept != INVALID_FILE_ATTRIBUTES)
            AfxSetFileAttributes(targetPath, kept);
    } while (::FindNextFileW(listing, found.get()));

    return ::GetLastError() == ERROR_NO_MORE_FILES ? 1 : 0;
}
