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

CString MakeNumberedName(LPCWSTR path, int n)
{
    CString text(path != nullptr ? path : L"");
    const int slash = text.ReverseFind(L'\\');
    const int dot = text.ReverseFind(L'.');
    const int at = dot > slash + 1 ? dot : text.GetLength();
    CString number;
    number.Format(L" (%d)", n);
    return text.Left(at) + number + text.Mid(at);
}

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

BOOL IsTemporaryCopyName(LPCWSTR name)
{
    const wchar_t *mark = name != nullptr ? wcsstr(name, L".~#T") : nullptr;
    if (mark == nullptr)
        return FALSE;
    // The mark may stand in the base name too ("a.~#T1.~#T0"): the last one counts.
    for (const wchar_t *next = wcsstr(mark + 1, L".~#T"); next != nullptr; next = wcsstr(next + 1, L".~#T"))
        mark = next;
    const wchar_t *digits = mark + 4;
    const size_t count = wcslen(digits);
    if (count == 0 || count > 2 || (count == 2 && digits[0] == L'0'))
        return FALSE;
    for (size_t i = 0; i < count; ++i)
    {
        if (digits[i] < L'0' || digits[i] > L'9')
            return FALSE;
    }
    return TRUE;
}

BOOL DeleteLeftoverTemporary(LPCWSTR path)
{
    ::SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(path);
}

BOOL CopyToTemporaryName(CSyncJob *job, const CString &source, const CString &target, CString &temporary)
{
    // The copy takes the temporary name itself: copying with "fail if it exists" both finds the first free
    // name and fills it, where making an empty file first and copying over it would create every file twice.
    // A name that is taken belongs to a copy cut off by a crash unless a copy still holds it open: such a
    // leftover is deleted and its name used, or a hundred crashes would end the backup of this file for good.
    temporary.Empty();
    for (int n = 0; n < kTemporaryNameTries; ++n)
    {
        const CString candidate = MakeTemporaryCopyName(target, n);
        for (int attempt = 0; attempt < 2; ++attempt)
        {
            if (g_pfnCopyFileEx(source, candidate, job != nullptr ? &CSyncJob::CopyProgressRoutine : nullptr, job,
                                job != nullptr ? job->GetCancelPointer() : nullptr,
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
            if (attempt > 0 || !DeleteLeftoverTemporary(candidate))
                break;
        }
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return FALSE;
}

BOOL CSyncJob::IsDestinationLost(DWORD error)
{
    if (m_destinationLost)
        return TRUE;
    BOOL lost = !g_pfnIsProgramReachable();
    if (!lost && IsDriveGoneError(error))
    {
        const CString root = m_jobDef->GetDest();
        lost = !root.IsEmpty() && !g_pfnIsDestinationPresent(root);
    }
    if (lost)
        m_destinationLost = TRUE;
    return lost;
}

BOOL CSyncJob::CopyOneFile(LPCWSTR source, LPCWSTR target, const KnownTarget *known)
{
    const CString sourcePath(source != nullptr ? source : L"");
    const CString targetPath(target != nullptr ? target : L"");
    const int slash = targetPath.ReverseFind(L'\\');

    // A file that is not copied is one error, one log entry and one line of the copy-error list, which name the
    // file the user knows: the file backed up, or in a restore the file at its place.
    const CString &named = m_journalFlag ? sourcePath : targetPath;
    auto countFailure = [&](DWORD error, int line, UINT stringId) -> BOOL {
        m_lastCopyError = error;
        ++m_errorCount;
        LogFileFailure(m_log, line, error, stringId, named);
        LogError(error, named);
        return FALSE;
    };
    if (sourcePath.IsEmpty() || slash < 0 || slash == targetPath.GetLength() - 1)
        return countFailure(ERROR_INVALID_NAME, __LINE__, IDS_LOG_COPY_FAILED);

    // A source gone since it was listed is no failure of the copy: there is nothing left to back up.
    auto sourceVanished = [&](DWORD error) -> bool {
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (g_pfnGetFileAttributesEx(sourcePath, GetFileExInfoStandard, &data))
            return false;
        DWORD probe = ::GetLastError();
        if (probe != ERROR_FILE_NOT_FOUND && probe != ERROR_PATH_NOT_FOUND)
            return false;
        m_lastCopyError = error;
        return true;
    };

    // The temporary copy once it is filled: every way out after that deletes it, or after a hundred failures the
    // target could never be copied again. A copy that failed leaves nothing under the name (the copy routine
    // deletes what it wrote), and a temporary name that could reach the length limit is refused before any copy.
    CString temporary;
    // The read-only and hidden attributes of the target, cleared for the move and put back when it fails.
    DWORD clearedAttributes = INVALID_FILE_ATTRIBUTES;
    auto restoreTarget = [&]() {
        if (clearedAttributes != INVALID_FILE_ATTRIBUTES)
            AfxSetFileAttributes(targetPath, clearedAttributes);
        clearedAttributes = INVALID_FILE_ATTRIBUTES;
    };
    auto failCopy = [&](DWORD error, int line) -> BOOL {
        if (m_cancelFlag)
            return FALSE;
        if (error == ERROR_DISK_FULL)
            m_diskFull = TRUE;
        // A restore writes nothing outside its places: what does not fit is reported, not put aside.
        if (m_journalFlag &&
            (error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            CopyToRecycledFolder(sourcePath);
        if (targetPath.GetLength() >= kMaxPathChars)
            error = ERROR_FILENAME_EXCED_RANGE;
        return countFailure(error, line, IDS_LOG_COPY_FAILED);
    };
    auto destinationLost = [&]() -> BOOL {
        DeleteTemporary(temporary);
        restoreTarget();
        m_lastCopyError = ERROR_NOT_READY;
        return FALSE;
    };

    // A path the system cannot take is not tried: it could land outside the destination on a platform that
    // does not enforce the limit.
    if (targetPath.GetLength() >= kMaxPathChars ||
        MakeTemporaryCopyName(targetPath, kTemporaryNameTries - 1).GetLength() >= kMaxPathChars)
        return failCopy(ERROR_FILENAME_EXCED_RANGE, __LINE__);

    // A target kept with its full path may lie several folders below anything that exists yet.
    const CString folder = targetPath.Left(slash + 1);
    if ((known == nullptr || !known->folderExists) && ::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES)
    {
        DWORD made = CreateFolderPath(folder);
        if (made != 0 && made != ERROR_ALREADY_EXISTS)
        {
            m_lastCopyError = made;
            if (m_cancelFlag)
                return FALSE;
            if (IsDestinationLost(made))
                return destinationLost();
            return countFailure(made, __LINE__, IDS_LOG_COPY_FAILED);
        }
    }

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
        restoreTarget();
        countFailure(error, __LINE__, IDS_LOG_FILE_IN_USE);
        return InUse::Cancelled;
    };

    for (;;)
    {
        if (CopyToTemporaryName(this, sourcePath, targetPath, temporary))
            break;
        DWORD error = ::GetLastError();
        m_lastCopyError = error;
        if (error == ERROR_FILE_EXISTS)
        {
            // Every temporary name is held open by another copy: the target cannot be copied until they end.
            return countFailure(error, __LINE__, IDS_LOG_COPY_FAILED);
        }
        if (!m_cancelFlag && IsDestinationLost(error))
            return destinationLost();
        if (!m_cancelFlag && sourceVanished(error))
            return FALSE;
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
    const DWORD targetAttributes =
        known != nullptr && known->attributesKnown ? known->attributes : ::GetFileAttributesW(targetPath);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & kReadOnlyOrHidden))
    {
        if (AfxSetFileAttributes(targetPath, targetAttributes & ~kReadOnlyOrHidden))
            clearedAttributes = targetAttributes;
    }

    for (;;)
    {
        // The copy routine gave the copy the source's attributes (CopyFile.h), and the move keeps them.
        if (g_pfnMoveFileEx(temporary, targetPath, MOVEFILE_REPLACE_EXISTING))
            return TRUE;
        DWORD error = ::GetLastError();
        m_lastCopyError = error;
        if (!m_cancelFlag && IsDestinationLost(error))
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
        restoreTarget();
        if (targetPath.GetLength() >= kMaxPathChars)
            error = ERROR_FILENAME_EXCED_RANGE;
        return countFailure(error, __LINE__, IDS_LOG_COPY_FAILED);
    }
}

BOOL CSyncJob::CopyToRecycledFolder(LPCWSTR source)
{
    CString place;
    if (!GetRecycledPath(source, m_jobDef->GetDest(), place))
        return TRUE;
    if (m_cancelFlag)
        return FALSE;

    // Sources from different folders share the one Recycled folder of their drive: a name another file holds
    // gets a number, and only the earlier copy of this same file (same size and time) is replaced.
    WIN32_FILE_ATTRIBUTE_DATA sourceData = {};
    const bool sourceRead = ::GetFileAttributesExW(source, GetFileExInfoStandard, &sourceData) != FALSE;
    DWORD kept = INVALID_FILE_ATTRIBUTES;
    const CString base = place;
    for (int n = 1;; ++n)
    {
        if (n > 1)
            place = MakeNumberedName(base, n);
        WIN32_FILE_ATTRIBUTE_DATA present = {};
        if (!::GetFileAttributesExW(place, GetFileExInfoStandard, &present))
        {
            DWORD error = ::GetLastError();
            if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            {
                LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, CString(source) + L" -> " + place);
                return FALSE;
            }
            break;
        }
        if (sourceRead && !(present.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            present.nFileSizeHigh == sourceData.nFileSizeHigh && present.nFileSizeLow == sourceData.nFileSizeLow &&
            ::CompareFileTime(&present.ftLastWriteTime, &sourceData.ftLastWriteTime) == 0)
        {
            kept = present.dwFileAttributes;
            break;
        }
        if (n >= kRecycledNameTries || place.GetLength() >= kMaxPathChars)
        {
            LogFileFailure(m_log, __LINE__, ERROR_FILE_EXISTS, IDS_LOG_COPY_FAILED, CString(source) + L" -> " + base);
            return FALSE;
        }
    }
    const CString what = CString(source) + L" -> " + place;
    if (kept != INVALID_FILE_ATTRIBUTES && (kept & kReadOnlyOrHidden))
        AfxSetFileAttributes(place, kept & ~kReadOnlyOrHidden);

    if (!g_pfnCopyFileEx(source, place, &CSyncJob::CopyProgressRoutine, this, GetCancelPointer(), 0))
    {
        DWORD error = ::GetLastError();
        if (kept != INVALID_FILE_ATTRIBUTES)
            AfxSetFileAttributes(place, kept);
        if (!m_cancelFlag)
            LogFileFailure(m_log, __LINE__, error, IDS_LOG_COPY_FAILED, what);
        return FALSE;
    }
    if (kept != INVALID_FILE_ATTRIBUTES)
        AfxSetFileAttributes(place, kept);
    return TRUE;
}
