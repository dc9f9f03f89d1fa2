// The folder scan of a backup run: walks a source folder depth first and copies every file whose target is
// missing or out of date.
#include "engine/run/RunThread.h"

#include <cwctype>

#include "engine/program/AppPaths.h"
#include "engine/run/SyncJobCopyOne.h"
#include "engine/run/DestPaths.h"
#include "engine/run/FileOpsSeams.h"
#include "engine/store/JobDef.h"
#include "engine/journal/RestoreJournal.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Handles.h"

namespace
{

LONGLONG WholeSeconds(const FILETIME &time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<LONGLONG>(value.QuadPart / 10000000ULL);
}

bool IsDotEntry(LPCWSTR name)
{
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool IsBareDrivePath(const CString &folder)
{
    return folder.GetLength() <= 3 && IsDriveLetterPath(folder);
}

// The folder the targets of a listing's files go to; empty for the listing of a single file, or when it does not
// fit.
CString TargetFolderOf(bool isFolder, const CString &root, const CString &folder, const CString &destination)
{
    CString target;
    if (!isFolder || !MakeRevisionPath(folder, root, destination, target) || target.IsEmpty())
        return CString();
    if (target[target.GetLength() - 1] != L'\\')
        target += L'\\';
    return target;
}

bool SameSizeAndUpToDate(const WIN32_FILE_ATTRIBUTE_DATA &source, const WIN32_FILE_ATTRIBUTE_DATA &target)
{
    // A target of another size never holds the source's data, whatever its time says: a copy cut off before
    // its data reached the disk may still carry the source's time.
    return source.nFileSizeHigh == target.nFileSizeHigh && source.nFileSizeLow == target.nFileSizeLow &&
           IsUpToDate(source.ftLastWriteTime, target.ftLastWriteTime);
}

ULONGLONG FileSizeOf(const WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// time is later than other by the five seconds that tell two copies' times apart.
bool IsNewerThan(const FILETIME &time, const FILETIME &other)
{
    return !IsUpToDate(time, other) && WholeSeconds(time) > WholeSeconds(other);
}

} // namespace

BOOL IsUpToDate(const FILETIME &sourceTime, const FILETIME &targetTime)
{
    // Both in whole seconds, the difference taken as a 32-bit value, as the stored times of some file systems
    // are only two seconds exact.
    LONGLONG difference = WholeSeconds(sourceTime) - WholeSeconds(targetTime);
    int delta = static_cast<int>(static_cast<DWORD>(difference));
    if (delta < 0)
        delta = delta == INT_MIN ? INT_MAX : -delta;
    return delta < 5 ? TRUE : FALSE;
}

BOOL MakeRevisionPath(LPCWSTR file, LPCWSTR root, LPCWSTR destination, CString &target)
{
    target.Empty();
    if (file == nullptr || root == nullptr || destination == nullptr || destination[0] == 0)
        return FALSE;
    size_t rootLength = wcslen(root);
    if (_wcsnicmp(file, root, rootLength) != 0)
        return FALSE;
    LPCWSTR rest = file + rootLength;
    while (*rest == L'\\')
        ++rest;
    CString result = JoinDestRoot(destination) + rest;
    if (result.GetLength() >= kMaxPathChars)
        return FALSE;
    target = result;
    return TRUE;
}

CBackupScan::CBackupScan(CSyncJob &job, const CString &jobName, const RunSource &source, CRunFolders &folders)
    : m_job(job), m_jobName(jobName), m_source(source), m_found(), m_folders(folders)
{
}

BOOL IsRunStopped(const CSyncJob &job)
{
    return job.m_cancelFlag || job.m_networkRetry || job.m_destinationLost || job.m_diskFull;
}

bool CBackupScan::MustStop() const
{
    return IsRunStopped(m_job) != FALSE;
}

void CBackupScan::ReportFolderFailure(const CString &folder, DWORD error, UINT stringId)
{
    if (m_job.m_cancelFlag)
        return;
    // A network error ends the run (the network-retry flag); the folder is named in the log all the same.
    m_job.IsRetryableError(error);
    ++m_job.m_errorCount;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, FolderFailureText(m_job, stringId),
                           FormatNow().GetString(), folder.GetString(), GetSystemErrorText(error).GetString());
    m_job.LogError(error, folder);
    m_folders.AddUnlisted(folder);
}

bool CBackupScan::SourceWentAway(const CString &root, DWORD error)
{
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        return false;
    if (m_job.IsDestinationLost(error))
        return true;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (g_pfnGetFileAttributesEx(root, GetFileExInfoStandard, &data))
        return false;
    m_sourceGone = true;
    ReportFolderFailure(root, error, IDS_LOG_FOLDER_CUT_SHORT);
    return true;
}

bool CBackupScan::ClaimName(const CString &full)
{
    CString key = full.Mid(full.ReverseFind(L'\\') + 1);
    key.MakeUpper();
    auto taken = m_names[m_depth - 1].emplace(key, full);
    if (taken.second)
        return true;
    ++m_job.m_errorCount;
    m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_ALREADY_EXISTS, LM_ERROR, IDS_LOG_NAME_CASE_CLASH,
                           FormatNow().GetString(), full.GetString(), taken.first->second.GetString());
    m_job.LogError(ERROR_ALREADY_EXISTS, full);
    return false;
}

int CBackupScan::ScanAndCopy(BOOL fullCopy, const CString &root, const CString &folder, const CString &destination,
                             int wholeTree)
{
    // This frame recurs once per folder level on a 64 KB stack: the listing record lives in the object and the
    // per-entry work in CopyEntry, whose frame is gone before the next level starts.
    m_job.m_bytesTotal = m_job.GetJobDef()->GetFolderSizeScanner().GetTotalSize(FALSE);
    const bool isFolder = !folder.IsEmpty() && folder[folder.GetLength() - 1] == L'\\';
    // This level's names: its set is kept for the next listing at the same depth, emptied.
    struct Level
    {
        Level(CBackupScan &scan, const CString &targetFolder) : m_scan(scan)
        {
            if (scan.m_names.size() <= scan.m_depth)
                scan.m_names.emplace_back();
            scan.m_targets.Enter(scan.m_depth, targetFolder);
            scan.m_names[scan.m_depth++].clear();
        }
        ~Level()
        {
            --m_scan.m_depth;
        }
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;
        CBackupScan &m_scan;
    } level(*this, TargetFolderOf(isFolder, root, folder, destination));
    CFindHandle listing(g_pfnFindFirstFile(folder + L"*.*", &m_found));
    if (!listing.IsValid())
    {
        // A folder that cannot be listed is every file below it not backed up: one error the user sees, and
        // the walk goes on with the next entry of the level above.
        const DWORD error = ::GetLastError();
        if (!SourceWentAway(root, error))
            ReportFolderFailure(folder, error, IDS_LOG_FOLDER_UNREADABLE);
        return 0;
    }
    do
    {
        if (MustStop() || m_sourceGone)
            return 0;
        if (IsDotEntry(m_found.cFileName))
            continue;
        ++m_job.m_entriesFound;
        CString full = isFolder ? folder + m_found.cFileName : folder;
        m_job.m_lastCopyError = 0;
        const DWORD attributes = m_found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (!wholeTree || IsSystemPath(full) || m_folders.IsOwnFolder(m_job, full) || !ClaimName(full))
                continue;
            if (!ScanAndCopy(fullCopy, root, full + L"\\", destination, 1) && (MustStop() || m_sourceGone))
                return 0;
            continue;
        }
        if (CopyEntry(fullCopy, root, full, destination, wholeTree) == Step::Stop)
            return 0;
    } while (g_pfnFindNextFile(listing, &m_found));
    const DWORD ended = ::GetLastError();
    if (MustStop())
        return 0;
    if (ended != ERROR_NO_MORE_FILES)
    {
        // Only "no more files" ends a listing: any other error leaves the rest of the folder unseen.
        ReportFolderFailure(folder, ended, IDS_LOG_FOLDER_CUT_SHORT);
        return 0;
    }
    return 1;
}

__attribute__((noinline)) CBackupScan::Step CBackupScan::CopyEntry(BOOL fullCopy, const CString &root,
                                                                   const CString &full, const CString &destination,
                                                                   int wholeTree)
{
    LPCWSTR name = m_found.cFileName;
    if (IsExcludedFile(name) || m_job.IsExcluded(name) || !m_job.IsIncluded(name))
    {
        ++m_job.m_entriesFiltered;
        return Step::Next;
    }
    if (!wholeTree && FindSourceNode(m_source, full) < 0)
    {
        ++m_job.m_entriesFiltered;
        return Step::Next;
    }
    if (!ClaimName(full))
        return Step::Next;
    CString target;
    if (!MakeRevisionPath(full, root, destination, target))
    {
        // Nothing may be written outside the destination: a target that does not fit is a failed file, named
        // where the user knows it (in a restore, at its place).
        const CString named = m_job.m_journalFlag ? full : JoinDestRoot(destination) + full.Mid(root.GetLength());
        ++m_job.m_errorCount;
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, ERROR_FILENAME_EXCED_RANGE, LM_ERROR, IDS_LOG_COPY_FAILED,
                               FormatNow().GetString(), named.GetString());
        m_job.LogError(ERROR_FILENAME_EXCED_RANGE, named);
        return Step::Next;
    }

    // The target's folder was listed once for the whole listing: a target it shows up to date needs no other
    // look, at the source or at the target.
    const size_t depth = m_depth - 1;
    WIN32_FILE_ATTRIBUTE_DATA present = {};
    bool targetThere = false;
    if (!fullCopy && m_targets.Find(depth, target, present, targetThere) == CTargetFolders::Known::Listed &&
        targetThere && SameSizeAndUpToDate(AttributeDataOf(m_found), present))
    {
        UpToDate(present, target, full);
        return Step::Next;
    }

    // The listing may be old by now: the source is looked at once more just before it is compared and copied.
    WIN32_FILE_ATTRIBUTE_DATA source = {};
    if (!g_pfnGetFileAttributesEx(full, GetFileExInfoStandard, &source))
    {
        const DWORD error = ::GetLastError();
        m_job.m_lastCopyError = error;
        // Gone or out of reach since the listing: nothing is left to back up. Unless its drive went with it: a
        // pulled drive answers "not found" for every file still to come, and none of them is copied.
        if (SourceWentAway(root, error))
            return Step::Stop;
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_ACCESS_DENIED)
            return Step::Next;
        if (error != 0)
        {
            if (m_job.IsRetryableError(error))
                return Step::Stop;
            ++m_job.m_errorCount;
            m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, error, LM_ERROR, IDS_LOG_ATTRIBUTES_FAILED,
                                   m_jobName.GetString(), full.GetString());
            m_job.LogError(error, full);
            return Step::Next;
        }
        source = AttributeDataOf(m_found);
    }
    if (source.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return Step::Next;

    bool skip = false;
    if (EnsureTargetFolder(target, skip) == Step::Stop)
        return Step::Stop;
    if (skip)
        return Step::Next;

    // The folder may have turned out to exist after all: what its listing cannot tell is looked at here.
    CSyncJob::KnownTarget known;
    known.folderExists = m_targets.IsReady(depth, target.Left(target.ReverseFind(L'\\') + 1));
    if (m_targets.Find(depth, target, present, targetThere) == CTargetFolders::Known::Unknown)
        targetThere = ::GetFileAttributesExW(target, GetFileExInfoStandard, &present) != FALSE;
    else
        known.attributesKnown = true;
    known.attributes = targetThere ? present.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
    if (!targetThere)
        return CopyTarget(full, target, false, known);
    if (fullCopy)
        return CopyTarget(full, target, true, known);
    if (SameSizeAndUpToDate(source, present))
    {
        UpToDate(present, target, full);
        return Step::Next;
    }
    // A restore never replaces what the user changed at the place after the backup, unless asked to (the
    // full-copy flag): the file stays, one line in the log, and the end message counts it.
    if (!m_job.m_journalFlag && IsNewerThan(present.ftLastWriteTime, source.ftLastWriteTime))
    {
        ++m_job.m_newerKept;
        m_job.m_bytesDone += FileSizeOf(source);
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, 0, LM_INFO, IDS_LOG_RESTORE_NEWER_KEPT, FormatNow().GetString(),
                               target.GetString());
        return Step::Next;
    }
    // A changed file is copied as a missing one would be: every backup run clears the full-copy flag, so
    // passing it over here would leave the backup at its first copy for good.
    return CopyTarget(full, target, true, known);
}

void CBackupScan::UpToDate(const WIN32_FILE_ATTRIBUTE_DATA &present, const CString &target, const CString &full)
{
    m_job.m_bytesDone += FileSizeOf(present);
    if (!(present.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && m_job.m_journalFlag)
        m_job.GetRestoreJournal()->Queue(target, full);
}

CBackupScan::Step CBackupScan::EnsureTargetFolder(const CString &target, bool &skip)
{
    const size_t depth = m_depth - 1;
    CString folder = target.Left(target.ReverseFind(L'\\') + 1);
    if (m_targets.IsReady(depth, folder) || folder == m_madeFolder || IsBareDrivePath(folder))
        return Step::Next;
    // A folder its listing showed missing is made with one call; anything else takes the long way, which also
    // tells why a folder cannot be made.
    if (m_targets.MakeMissing(depth, folder))
    {
        m_job.m_lastCopyError = 0;
        m_madeFolder = folder;
        return Step::Next;
    }
    DWORD made = CreateFolderPath(folder);
    m_job.m_lastCopyError = made;
    if (made != 0 && made != ERROR_ALREADY_EXISTS)
    {
        if (m_job.m_cancelFlag || m_job.IsDestinationLost(made))
            return Step::Stop;
        if (m_job.IsRetryableError(made))
            return Step::Stop;
        ++m_job.m_errorCount;
        m_job.GetLog().LogIdAt(L"SyncJob", __LINE__, made, LM_ERROR, IDS_LOG_FOLDER_NOT_MADE, m_jobName.GetString(),
                               folder.GetString());
        m_job.LogError(made, folder);
        skip = true;
        return Step::Next;
    }
    m_madeFolder = folder;
    m_targets.SetReady(depth, folder, made == ERROR_ALREADY_EXISTS);
    return Step::Next;
}

CBackupScan::Step CBackupScan::CopyTarget(const CString &full, const CString &target, bool targetPresent,
                                          const CSyncJob::KnownTarget &known)
{
    const int errorsBefore = m_job.m_errorCount;
    if (m_job.CopyOneFile(full, target, &known))
    {
        if (targetPresent)
            m_job.m_lastCopyError = 0;
        if (m_job.m_journalFlag)
            m_job.GetRestoreJournal()->Queue(target, full);
        ++m_job.m_filesCopied;
        return Step::Next;
    }
    // The one-file copy has counted and logged its failure. What ends the run: a cancel, a destination gone or
    // full, a network error.
    if (MustStop() || m_job.IsRetryableError(m_job.m_lastCopyError))
        return Step::Stop;
    // A failed replace leaves the last good copy in place: it stays in the journal, as a restore still needs it.
    // A source that vanished is not counted and leaves nothing to list.
    if (targetPresent && m_job.m_errorCount != errorsBefore && m_job.m_journalFlag &&
        ::GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES)
        m_job.GetRestoreJournal()->Queue(target, full);
    return Step::Next;
}
