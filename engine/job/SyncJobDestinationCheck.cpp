// The look at a job's destination before it runs: the destination drive found by its identity whatever letter it
// has now, and a two-way destination kept away from the program's places and the other jobs' backups.
#include "engine/job/SyncJob.h"

#include <cwctype>

#include "engine/job/TwoWayPlaces.h"
#include "engine/program/DriveMarker.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace
{

bool HasDriveLetter(const CString &path)
{
    return path.GetLength() >= 2 && iswalpha(path[0]) && path[1] == L':';
}

CString DriveName(wchar_t letter)
{
    CString name(static_cast<wchar_t>(towupper(letter)));
    return name + L":";
}

bool Exists(const CString &path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

BOOL CSyncJob::IsDestinationDriveOwn() const
{
    const CString dest = m_jobDef->GetDest();
    const CString id = m_jobDef->GetUuid();
    if (!HasDriveLetter(dest) || id.IsEmpty())
        return TRUE;
    const DWORD letterBit = 1u << (towupper(dest[0]) - L'A');
    return FindDrivesByDestinationId(id) == letterBit ? TRUE : FALSE;
}

BOOL CSyncJob::CheckDestinationDrive(BOOL report)
{
    const CString id = m_jobDef->GetUuid();
    const CString dest = m_jobDef->GetDest();
    if (m_jobDef->GetDestAgent() != 0 || m_jobDef->GetDestNet() != 0 || id.IsEmpty() || !HasDriveLetter(dest))
        return TRUE;
    const wchar_t letter = static_cast<wchar_t>(towupper(dest[0]));
    const DWORD carriers = FindDrivesByDestinationId(id);
    // A marker copied onto another drive: neither can be told to be the job's.
    if (CountDrivesOf(carriers) > 1)
    {
        if (report)
            m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_ERROR, IDS_LOG_DEST_DRIVE_TWICE, FormatNow().GetString(),
                          dest.GetString(), DriveListText(carriers).GetString(), id.GetString());
        return FALSE;
    }
    const wchar_t found = FirstDriveOf(carriers);
    if (found != 0)
    {
        if (towupper(found) == letter)
            return TRUE;
        MoveDestinationToDrive(found);
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_WARNING, IDS_LOG_DEST_DRIVE_MOVED, FormatNow().GetString(),
                      id.GetString(), DriveName(found).GetString(), DriveName(letter).GetString(),
                      m_jobDef->GetDest().GetString());
        return TRUE;
    }
    CString other;
    const BOOL marked = GetDestinationDriveIdPath(letter, other);
    if (!marked && Exists(dest))
    {
        // The drive that holds the destination lost its marker (the user deleted it): it is marked again. When the
        // drive cannot be written the run meets that itself.
        if (WriteDestinationDriveId(letter, id))
            m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_WARNING, IDS_LOG_DEST_DRIVE_REMARKED, FormatNow().GetString(),
                          DriveName(letter).GetString(), dest.GetString(), id.GetString());
        return TRUE;
    }
    if (!report)
        return FALSE;
    if (marked)
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_ERROR, IDS_LOG_DEST_DRIVE_OTHER, FormatNow().GetString(),
                      dest.GetString(), DriveName(letter).GetString(), other.GetString(), id.GetString());
    else
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_ERROR, IDS_LOG_DEST_DRIVE_NONE, FormatNow().GetString(),
                      dest.GetString(), id.GetString());
    return FALSE;
}

BOOL CSyncJob::RefuseDestination(int why, UINT reasonId)
{
    m_destinationRefused = why;
    // No system error stopped it: the end tells the refusal's own cause.
    m_lastCopyError = 0;
    CString text;
    text.Format(IDS_DEST_NOT_REACHED, m_jobDef->GetDest().GetString());
    AddStatusError(text + AfxLoadText(reasonId));
    return FALSE;
}

BOOL CSyncJob::CheckDestinationBeforeRun(bool backupRun)
{
    try
    {
        if (!CheckDestinationDrive(TRUE))
            return RefuseDestination(DEST_REFUSED_NOT_OWN_DRIVE, IDS_DEST_NOT_OWN_DRIVE);
        IMainWindowServices *mainWindow = g_pMainDlg.load();
        CSyncJobList *jobs = mainWindow != nullptr ? mainWindow->GetJobList() : nullptr;
        // The place may have become unsafe since the job was stored (another job's destination made inside it),
        // and a disabled job may have been enabled again.
        if (jobs != nullptr && IsTwoWayFolderJob(*m_jobDef) && m_jobDef->GetDestAgent() == 0)
        {
            const CString dest = m_jobDef->GetDest();
            const CString place = FindTwoWayPlaceClash(*jobs, this, dest);
            if (!place.IsEmpty())
            {
                m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_ERROR, IDS_LOG_TWO_WAY_DEST_REFUSED, FormatNow().GetString(),
                              m_jobDef->GetName().GetString(), dest.GetString(), place.GetString());
                return RefuseDestination(DEST_REFUSED_TWO_WAY_PLACE, IDS_DEST_TWO_WAY_PLACE);
            }
        }
        // A restore's job holds the restore's own pairs until its run ends: they are not the backup's places.
        if (backupRun)
            KeepDestinationsUnderDest();
    }
    catch (const _com_error &error)
    {
        m_log.LogAt(L"SyncJob", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return FALSE;
    }
    return TRUE;
}
