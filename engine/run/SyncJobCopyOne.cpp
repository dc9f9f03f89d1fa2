#include "engine/run/SyncJobCopyOne.h"

#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/CopyFile.h"
#include "platform/system/Handles.h"
#include "ui/boxes/MessageBoxDlg.h"
#include "platform/system/Resources.h"
#include "platform/system/FileAttributes.h"

namespace
{

constexpr DWORD kReadOnlyOrHidden = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

CString FileNameOf(const CString &path)
{
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

// The copy routine gives the temporary file the source's attributes, read-only among them, which a plain
// delete refuses.
void DeleteTemporary(const CString &path)
{
    if (path.IsEmpty())
        return;
    AfxSetFileAttributes(path, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path);
}

void LogFileFailure(CLogMsg &log, int line, DWORD error, UINT stringId, LPCWSTR path)
{
    log.LogIdAt(L"SyncJob", line, error, LM_ERROR, stringId, FormatNow().GetString(), path);
}

// The Retry/Cancel question about a file that a program holds open; IDOK stands for Retry.
int AskAboutFileInUse(UINT questionId, const CString &holder)
{
    CString text;
    text.Format(questionId, holder.GetString(), holder.GetString());
    return SkinMessageBox(text, MB_RETRYCANCEL);
}

} // namespace

CString MakeTemporaryCopyName(LPCWSTR target, int n)
{
    CString path(target != nullptr ? target : L"");
    int slash = path.ReverseFind(L'\\');
    CString name = path.Mid(slash + 1);
    int dot = name.ReverseFind(L'.');
    CString result;
    result.Format(L"%s%s.~#T%d", path.Left(slash + 1).GetString(), dot >= 0 ? name.Left(dot).GetString() : L"", n);
    return result;
}

UINT GetMailProgramStringId(LPCWSTR path)
{
    CString name = FileNameOf(CString(path != nullptr ? path : L""));
    int dot = name.ReverseFind(L'.');
    if (dot < 0)
        return 0;
    CString extension = name.Mid(dot);
    if (extension.CompareNoCase(L".ost") == 0 || extension.CompareNoCase(L".pst") == 0)
        return IDS_PROGRAM_OUTLOOK;
    if (extension.CompareNoCase(L".dbx") == 0)
        return IDS_PROGRAM_OUTLOOK_EXPRESS;
    if (extension.CompareNoCase(L".edb") == 0)
        return IDS_PROGRAM_WINDOWS_MAIL;
    return 0;
}

BOOL CSyncJob::IsIncluded(LPCWSTR name) const
{
    if (m_filtersActive == 0)
        return TRUE;
    return m_jobDef->GetFilterPair().IsIncludedExt(name) ? TRUE : FALSE;
}

BOOL CSyncJob::IsExcluded(LPCWSTR name) const
{
    if (m_filtersActive == 0)
        return FALSE;
    return m_jobDef->GetFilterPair().IsExcludedExt(name) ? TRUE : FALSE;
}

BOOL CSyncJob::CopyOneFile(LPCWSTR source, LPCWSTR target)
{
    const CString sourcePath(source != nullptr ? source : L"");
    const CString targetPath(target != nullptr ? target : L"");
    const int slash = targetPath.ReverseFind(L'\\');
    if (sourcePath.IsEmpty() || slash < 0 || slash == targetPath.GetLength() - 1)
    {
        m_lastCopyError = ERROR_INVALID_NAME;
        ++m_errorCount;
        LogFileFailure(m_log, __LINE__, ERROR_INVALID_NAME, IDS_LOG_COPY_FAILED, sourcePath);
        return FALSE;
    }

    const CString folder = targetPath.Left(slash + 1);
    if (::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES && !::CreateDirectoryW(folder, nullptr))
    {
        DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
        {
            m_lastCopyError = error;
            return FALSE;
        }
    }

    // The temporary copy once it is filled: every way out after that deletes it, or after a hundred failures the
    // target could never be copied again. A copy that failed leaves nothing under the name (the copy routine
    // deletes what it wrote), and a temporary name that could reach the length limit is refused before any copy.
    CString temporary;
    auto failCopy = [&](DWORD error, int line) -> BOOL {
        if (m_cancelFlag)
            return FALSE;
        if (error == ERROR_DISK_FULL)
            m_diskFull = TRUE;
        if (error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            CopyToRecycledFolder(sourcePath);
        if (targetPath.GetLength() >= kMaxPathChars)
            error = ERROR_FILENAME_EXCED_RANGE;
        m_lastCopyError = error;
        ++m_errorCount;
        LogFileFailure(m_log, line, error, IDS_LOG_COPY_FAILED, sourcePath);
        return FALSE;
    };
    auto destinationLost = [&]() -> BOOL {
        DeleteTemporary(temporary);
        m_lastCopyError = ERROR_NOT_READY;
        m_destinationLost = TRUE;
        return FALSE;
    };

    // A path the system cannot take is not tried: it could land outside the destination on a platform that
    // does not enforce the limit.
    if (targetPath.GetLength() >= kMaxPathChars ||
        MakeTemporaryCopyName(targetPath, kTemporaryNameTries - 1).GetLength() >= kMaxPathChars)
        return failCopy(ERROR_FILENAME_EXCED_RANGE, __LINE__);

    // The copy takes the temporary name itself: copying with "fail if it exists" both finds the first free
    // name and fills it, where making an empty file first and copying over it would create every file twice.
    // A failed copy leaves nothing under the name, so each attempt (a retry included) looks for a free one.
    bool namesTaken = false;
    auto copyToTemporary = [&]() -> BOOL {
        namesTaken = false;
        for (int n = 0; n < kTemporaryNameTries; ++n)
        {
            CString candidate = MakeTemporaryCopyName(targetPath, n);
            if (g_pfnCopyFileEx(sourcePath, candidate, &CSyncJob::CopyProgressRoutine, this, GetCancelPointer(),
                                COPY_FILE_RESTARTABLE | COPY_FILE_FAIL_IF_EXISTS))
            {
                temporary = candidate;
                return TRUE;
            }
            DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            {
                ::SetLastError(error);
                return FALSE;
            }
        }
        namesTaken = true;
        ::SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    };

    // After the user chose Retry, a held file is tried again every second before the next question.
    bool retryChosen = false;
    int autoRetries = 0;
    auto pauseBeforeRetry = [&]() -> bool {
        if (!retryChosen || autoRetries >= kInUseAutoRetries)
            return false;
        ++autoRetries;
        g_pfnRetrySleep(kInUseRetryPause);
        return true;
    };
    // The question about a held file. Retry: go round again. Cancel: the file fails with string 583.
    enum class InUse
    {
        Retry,
        Cancelled,
        Other
    };
    auto askInUse = [&](UINT questionId, const CString &holder, DWORD error) -> InUse {
        int answer = AskAboutFileInUse(questionId, holder);
        if (answer == IDOK)
        {
            retryChosen = true;
            autoRetries = 0;
            m_lastCopyError = 0;
            return InUse::Retry;
        }
        if (answer != IDCANCEL)
            return InUse::Other;
        DeleteTemporary(temporary);
        ++m_errorCount;
        LogFileFailure(m_log, __LINE__, error, IDS_LOG_FILE_IN_USE, sourcePath);
        return InUse::Cancelled;
    };

    for (;;)
    {
        if (copyToTemporary())
            break;
        DWORD error = ::GetLastError();
        m_lastCopyError = error;
        if (namesTaken)
        {
            // Every temporary name is held by a file: the target cannot be copied until they are cleared.
            ++m_errorCount;
            LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, sourcePath);
            return FALSE;
        }
        if (!g_pfnIsProgramReachable())
            return destinationLost();
        UINT program = GetMailProgramStringId(sourcePath);
        if (m_journalFlag && (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) &&
            m_jobDef->GetSuppressErrorLogWindow() == 0 && program != 0 && !m_cancelFlag)
        {
            if (pauseBeforeRetry())
                continue;
            InUse answer = askInUse(IDS_ASK_BACKUP_IN_USE, AfxLoadText(program), error);
            if (answer == InUse::Retry)
                continue;
            if (answer == InUse::Cancelled)
                return FALSE;
        }
        return failCopy(error, __LINE__);
    }

    // Only now that the copy stands ready: a target whose copy failed keeps its attributes.
    DWORD targetAttributes = ::GetFileAttributesW(targetPath);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & kReadOnlyOrHidden))
        AfxSetFileAttributes(targetPath, targetAttributes & ~kReadOnlyOrHidden);

    for (;;)
    {
        if (g_pfnMoveFileEx(temporary, targetPath, MOVEFILE_REPLACE_EXISTING))
        {
            // The copy routine has normally given the copy the source's attributes already; setting them opens
            // the file once more, which costs more than reading them.
            DWORD sourceAttributes = ::GetFileAttributesW(sourcePath);
            if (sourceAttributes != INVALID_FILE_ATTRIBUTES && ::GetFileAttributesW(targetPath) != sourceAttributes)
                AfxSetFileAttributes(targetPath, sourceAttributes);
            return TRUE;
        }
        DWORD error = ::GetLastError();
        m_lastCopyError = error;
        if (!g_pfnIsProgramReachable())
            return destinationLost();
        if (!m_journalFlag && error == ERROR_ACCESS_DENIED && !m_cancelFlag)
        {
            if (pauseBeforeRetry())
                continue;
            UINT program = GetMailProgramStringId(sourcePath);
            InUse answer =
                askInUse(IDS_ASK_RESTORE_IN_USE, program != 0 ? AfxLoadText(program) : FileNameOf(targetPath), error);
            if (answer == InUse::Retry)
                continue;
            // Cancel: the target was not replaced, so the file is not restored and must not count as copied.
            if (answer == InUse::Cancelled)
                return FALSE;
        }
        DeleteTemporary(temporary);
        if (targetPath.GetLength() >= kMaxPathChars)
            error = ERROR_FILENAME_EXCED_RANGE;
        m_lastCopyError = error;
        ++m_errorCount;
        LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, sourcePath);
        return FALSE;
    }
}

BOOL CSyncJob::CopyToRecycledFolder(LPCWSTR source)
{
    CString place;
    if (!GetRecycledPath(source, m_jobDef->GetDest(), place))
        return TRUE;
    if (m_cancelFlag)
        return FALSE;
    const CString what = CString(source) + L" -> " + place;

    DWORD kept = ::GetFileAttributesW(place);
    if (kept == INVALID_FILE_ATTRIBUTES)
    {
        DWORD error = ::GetLastError();
        if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        {
            LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, what);
            return FALSE;
        }
    }
    else if (kept & kReadOnlyOrHidden)
    {
        AfxSetFileAttributes(place, kept & ~kReadOnlyOrHidden);
    }

    if (!g_pfnCopyFileEx(source, place, &CSyncJob::CopyProgressRoutine, this, GetCancelPointer(), 0))
    {
        DWORD error = ::GetLastError();
        if (!m_cancelFlag)
            LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, what);
        return FALSE;
    }
    if (kept != INVALID_FILE_ATTRIBUTES)
        AfxSetFileAttributes(place, kept);
    return TRUE;
}
