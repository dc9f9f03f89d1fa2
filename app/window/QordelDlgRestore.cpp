// The main dialog's restore page: opening it for the selected job, its options (to the places or into a folder,
// every file again), the folder browser, and the restore run the big button starts. The page's save writes the
// restore's form into the job; the job's stored form is kept aside and put back at every end of that
// (RestoreForm.h).
#include "app/window/QordelDlg.h"

#include <shlobj.h>

#include "app/window/JobCommandWindows.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/run/DestPaths.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "setup/jobdialogs/FolderBrowseFilter.h"
#include "setup/shell/ShellPidl.h"
#include "ui/boxes/MessageBoxDlg.h"

void CQordelDlg::OnRestore()
{
    // A run the window follows keeps its face until it ends.
    if (viewState == VIEW_BACKUP_RUNNING || viewState == VIEW_RESTORE_RUNNING || m_pJobListView == nullptr)
        return;
    CJobListItem *item = m_pJobListView->GetSelectedItem();
    if (item == nullptr)
        return;
    // Without the program's data folder there is no backup of this computer to restore.
    m_pJobListView->UpdateDriveButton(item);
    if (item->m_secondButton.GetState() == SKIN_STATE_DISABLED)
        return;
    CSyncJob *job = ReloadForRestore(GetSelectedJobObject());
    if (job == nullptr)
        return;
    if (job->m_runState == JOB_BUSY)
        job->Cancel();
    if (job->GetJobDef()->GetSyncType() == 2)
        return;

    CJobDef *def = job->GetJobDef();
    def->GetFolderSizeScanner().StartScan(std::vector<CString>{def->GetDest()}, def->GetInclude(), CString());
    try
    {
        m_restoreForm.Keep(job);
    }
    catch (const _com_error &error)
    {
        // Without its stored form kept, the page's save could reach the store: no restore page.
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return;
    }
    viewState = VIEW_RESTORE_PAGE;
    ChooseRestoreToOtherFolder(FALSE);
    // The page shows this job from now on: a page made before refreshes for it in the loader.
    m_restorePage.SetJob(job);
    LoadJobPage(job, 1);
    UpdateView();
}

CSyncJob *CQordelDlg::ReloadForRestore(CSyncJob *job)
{
    if (job == nullptr)
        return nullptr;
    ReleaseRestoreForm();
    try
    {
        // What the page shows and restores is the job as stored, not edits nobody saved.
        const int reloaded = m_jobList.ReloadJob(job);
        if (job->m_defaultJob)
        {
            if (reloaded == 0)
            {
                // A one-click job that was never stored has no backup to restore.
                ForgetJob(job);
                if (m_pJobListView != nullptr)
                    m_pJobListView->RemoveJob(job->GetJobDef());
                m_jobList.RemoveJob(job);
                m_jobList.Load();
                return nullptr;
            }
            job->m_defaultJob = FALSE;
        }
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return nullptr;
    }
    if (m_pJobListView != nullptr)
        m_pJobListView->UpdateJob(job->GetJobDef());
    return job;
}

void CQordelDlg::StartRestore()
{
    CSyncJob *job = m_restoreForm.GetJob();
    if (job == nullptr || !m_jobList.Contains(job))
        return;
    // The folders the job's backup watches, read while the job is still its backup.
    const std::vector<CString> watched = job->m_watchFlag ? GetJobWatchedFolders(*job) : std::vector<CString>();
    // From the page's save on, the job is its restore's form until it is put back: a save of the store meanwhile
    // (another job's end while this one waits in the queue) stores it as its backup.
    m_restoreForm.GuardStore(m_jobList);
    // A page that refuses has told the user why.
    if (m_restorePage.GetSafeHwnd() != nullptr && !m_restorePage.SavePage())
    {
        PutBackRestoreForm();
        return;
    }
    job->m_fullCopy = restoreOption != 0 ? TRUE : FALSE;
    if (restoreToOtherFolder != 0)
    {
        CString folder;
        GetDlgItemText(IDC_RESTORE_FOLDER, folder);
        folder.Trim();
        if (folder.IsEmpty())
        {
            SkinMessageBoxId(IDS_NO_DESTINATION, MB_OK);
            PutBackRestoreForm();
            return;
        }
        // A trailing backslash is the user's to type; the folder-listing call would not find such a folder. One
        // that cannot be made fails the run, which tells why.
        if (::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES)
            CreateFolderPath(folder);
        job->GetJobDef()->SetDest(folder);
    }
    viewState = VIEW_RESTORE_RUNNING;
    UpdateView();
    ReleaseHold();
    SetTimer(TIMER_RUN_PROGRESS, kMainTimerMs, nullptr);
    // The run it is queued for copies the backup back, whenever it starts and whatever the window shows then.
    job->m_restoreRun = TRUE;
    if (!StartRun(job, 1, TRUE))
    {
        // A disabled or busy job runs nothing: the page is the user's again, with the job as stored.
        job->m_restoreRun = FALSE;
        KillTimer(TIMER_RUN_PROGRESS);
        PutBackRestoreForm();
        viewState = VIEW_RESTORE_PAGE;
        UpdateView();
        return;
    }
    PauseWatchesForRestore(*job, watched);
}

void CQordelDlg::PauseWatchesForRestore(CSyncJob &job, const std::vector<CString> &folders)
{
    // Every file the restore writes back into a watched place would come back as a change, so many that the window
    // would not hear the user (Cancel) until the restore had ended, and each would be copied to the backup it came
    // from. Each folder no other on-change job needs is not watched during the restore; once the schedule runs
    // again it watches the job's folders anew and runs the job once, as after any time they were not watched.
    for (const CString &folder : folders)
    {
        if (!job.CheckPathInStore(folder))
            m_changeWatch.GetWatcher().RemoveWatch(folder);
    }
    if (!folders.empty())
        job.m_watchFlag = FALSE;
}

void CQordelDlg::PutBackRestoreForm()
{
    CSyncJob *job = m_restoreForm.GetJob();
    if (job == nullptr)
        return;
    // Only a run that keeps the journal clears it; a scheduled backup would copy every file again.
    job->m_fullCopy = FALSE;
    try
    {
        m_restoreForm.PutBack(m_jobList);
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
}

void CQordelDlg::ReleaseRestoreForm()
{
    PutBackRestoreForm();
    m_restoreForm.Forget(m_restoreForm.GetJob());
}

void CQordelDlg::OnRestoreToFolder()
{
    ChooseRestoreToOtherFolder(TRUE);
}

void CQordelDlg::OnRestoreToOriginal()
{
    ChooseRestoreToOtherFolder(FALSE);
}

void CQordelDlg::ChooseRestoreToOtherFolder(BOOL other)
{
    restoreToOtherFolder = other ? 1 : 0;
    if (CWnd *folder = GetDlgItem(IDC_RESTORE_FOLDER))
        folder->EnableWindow(other);
    CheckDlgButton(IDC_RESTORE_TO_OTHER, other ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_RESTORE_TO_ORIGIN, other ? BST_UNCHECKED : BST_CHECKED);
}

void CQordelDlg::OnRestoreOptionToggle()
{
    restoreOption = restoreOption != 0 ? 0 : 1;
    if (restoreOption != 0 && SkinMessageBoxId(IDS_ASK_RESTORE_EVERY_FILE, MB_OKCANCEL) != IDOK)
        restoreOption = 0;
    CheckDlgButton(IDC_RESTORE_OPTION, restoreOption != 0 ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT CQordelDlg::OnBrowseFolder(WPARAM, LPARAM)
{
    if (m_hWnd == nullptr)
        return 0;
    FolderBrowseFilter filter;
    if (CWnd *main = AfxGetMainWnd())
        main->GetWindowText(filter.title);
    wchar_t desktop[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)))
        filter.initialFolder = desktop;
    // The backup's own folder is no place to restore into.
    if (CSyncJob *job = m_restoreForm.GetJob())
        filter.excludedFolder = job->GetJobDef()->GetDest();
    filter.flags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
    const CString heading = AfxLoadText(IDS_BROWSE_RESTORE_FOLDER);
    BROWSEINFOW info = {};
    info.hwndOwner = m_hWnd;
    info.lpszTitle = heading;
    info.ulFlags = filter.flags;
    info.lpfn = &FolderBrowseFilterProc;
    info.lParam = reinterpret_cast<LPARAM>(&filter);
    const JobCommandWindows windows = g_jobCommandWindows.Get();
    CShellPidl chosen(windows.browseForFolder ? windows.browseForFolder(&info) : nullptr);
    const CString path = chosen.GetPath();
    if (!path.IsEmpty())
        SetDlgItemText(IDC_RESTORE_FOLDER, path);
    return 0;
}
