// Saving the destination page into its job: the chosen place is checked step by step, and only a place that passes
// every check becomes the job's destination. A refusal has told the user why (and logged what went wrong with the
// system); the job then keeps its destination.
#include "setup/destpage/DestinationPage.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cwctype>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/DriveMarker.h"
#include "engine/program/NetPath.h"
#include "platform/windows/WaitCursor.h"
#include "setup/destpage/DestinationRules.h"
#include "setup/shell/ShellItems.h"
#include "setup/wizard/SetupReports.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

bool IsExistingFolder(const CString &path)
{
    const DWORD attributes = path.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ShowSystemError(DWORD error)
{
    CString text = GetSystemErrorText(error);
    if (text.IsEmpty())
        text.Format(L"0x%08x", static_cast<unsigned>(error));
    SkinMessageBox(text, MB_OK);
}

} // namespace

BOOL CDestinationPage::SavePage()
{
    if (m_pJob == nullptr)
        return FALSE;
    CJobDef *def = m_pJob->GetJobDef();
    def->SetThreshold(m_slider.GetSafeHwnd() != nullptr ? m_slider.GetPos() : m_threshold);
    def->SetDestAgent(0);

    const CString chosen = GetSelectedPath();
    if (chosen.IsEmpty())
    {
        SkinMessageBoxId(IDS_NO_DESTINATION, MB_OK);
        return FALSE;
    }
    CString path = chosen.Right(1) == L"\\" ? chosen : chosen + L"\\";
    // A folder shortcut stands for its target; one whose target is gone gives no path at all.
    path = ResolveFolderShortcut(path);
    // A share is reached (and its folder made) before anything on it is looked at.
    const bool unc = !path.IsEmpty() && ::PathIsUNCW(path);
    if (unc && !ConnectShare(path))
        return FALSE;
    if (!IsExistingFolder(path))
    {
        AppLog.LogIdAt(L"DestinationPage", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_DEST_FOLDER_MISSING,
                       chosen.GetString());
        SkinMessageBoxId(IDS_DEST_FOLDER_MISSING, MB_OK);
        return FALSE;
    }
    if (!CheckSpaceAndDrive(path, unc))
        return FALSE;
    return AcceptDestination(path);
}

BOOL CDestinationPage::ConnectShare(const CString &path)
{
    m_pJob->GetJobDef()->SetDestNet(1);
    CString share = path;
    share.TrimRight(L'\\');
    const DWORD error = g_pfnConnectDestination(m_hWnd, share);
    if (error == ERROR_CANCELLED)
        return FALSE;
    if (error != NO_ERROR)
    {
        AppLog.LogIdAt(L"DestinationPage", __LINE__, error, LM_ERROR, IDS_LOG_DEST_NOT_CONNECTED, share.GetString());
        ShowSystemError(error);
        return FALSE;
    }
    if (IsExistingFolder(path))
        return TRUE;
    const int made = ::SHCreateDirectoryExW(m_hWnd, path, nullptr);
    if (made == ERROR_SUCCESS || made == ERROR_ALREADY_EXISTS)
        return TRUE;
    AppLog.LogIdAt(L"DestinationPage", __LINE__, static_cast<DWORD>(made), LM_ERROR, IDS_LOG_DEST_FOLDER_NOT_MADE,
                   path.GetString());
    ShowWithSystemText(IDS_FOLDER_NOT_MADE, static_cast<DWORD>(made));
    return FALSE;
}

BOOL CDestinationPage::CheckSpaceAndDrive(const CString &path, bool unc)
{
    CJobDef *def = m_pJob->GetJobDef();
    ULONGLONG total = 0;
    ULONGLONG used = 0;
    ULONGLONG free = 0;
    const BOOL measured = GetPathDiskSpace(path, total, used, free);
    const DWORD spaceError = measured ? NO_ERROR : ::GetLastError();
    // Without figures there is nothing to compare; a local drive is refused for it below. The sources are counted
    // now, as they stand: a size scan of the pages may have been cut short or never covered them.
    ULONGLONG needed = 0;
    if (measured)
    {
        CWaitCursor wait;
        needed = CountJobSourceBytes(*m_pJob);
    }
    if (measured && needed > free && SkinMessageBoxId(IDS_ASK_DEST_TOO_SMALL, MB_OKCANCEL) != IDOK)
        return FALSE;
    if (unc)
        return TRUE;
    const UINT type = GetPathDriveType(path);
    if (type == DRIVE_REMOTE)
    {
        def->SetDestNet(1);
        return TRUE;
    }
    def->SetDestNet(0);
    if (type == DRIVE_NO_ROOT_DIR)
    {
        AppLog.LogIdAt(L"DestinationPage", __LINE__, 0, LM_ERROR, IDS_LOG_DEST_NO_DRIVE, path.GetString());
        SkinMessageBoxId(IDS_DEST_NOT_FOUND, MB_OK);
        return FALSE;
    }
    if (!measured)
    {
        AppLog.LogIdAt(L"DestinationPage", __LINE__, spaceError, LM_ERROR, IDS_LOG_DEST_SPACE_UNREAD, path.GetString());
        ShowSystemError(spaceError);
        return FALSE;
    }
    return TRUE;
}

BOOL CDestinationPage::AcceptDestination(const CString &path)
{
    IMainWindowServices *main = g_pMainDlg.load();
    const int clash = main != nullptr ? main->FindJobByPath(m_pJob, path) : -1;
    if (clash == 1 || clash == 2)
    {
        SkinMessageBoxId(IDS_PATH_COLLIDES_WITH_DEST, MB_OK);
        return FALSE;
    }
    CJobDef *def = m_pJob->GetJobDef();
    def->SetDest(path);
    // The drive's identity lets the job find its drive under another letter; the marker takes drive letters only,
    // so a share keeps none and is found by its path.
    const bool driveLetter = path.GetLength() >= 2 && path[1] == L':' && iswalpha(path[0]);
    if (def->GetDestAgent() == 0 && driveLetter)
    {
        CString id;
        if (GetOrCreateDestinationDriveId(path[0], id))
            def->SetUuid(id);
        else
            AppLog.LogIdAt(L"DestinationPage", __LINE__, ::GetLastError(), LM_WARNING, IDS_LOG_DEST_NOT_MARKED,
                           path.GetString());
    }
    def->SetHasSrc(1);
    // The runs copy to the sources' own destinations: those of an earlier destination move under the new one.
    m_pJob->KeepDestinationsUnderDest();
    return TRUE;
}
