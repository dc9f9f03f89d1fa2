// The main dialog's small commands: closing, the system menu's about item, help, the log viewer and the maker's
// web page; and the messages other threads send or post to the window.
#include "app/window/QordelDlg.h"

#include <shellapi.h>

#include "app/window/AboutDlg.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/store/SyncJobList.h"
#include "tray/logic/TrayMessages.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// The maker's web page; the build sets it (empty: the command does nothing).
#ifndef VELBROOK_MAKER_URL
#define VELBROOK_MAKER_URL L""
#endif

Seam<ShellExecuteFunction> g_pfnMainShellExecute{&::ShellExecuteW};

BEGIN_MESSAGE_MAP(CQordelDlg, CDialog)
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_WM_SYSCOMMAND()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_CTLCOLOR()
ON_WM_SETCURSOR()
ON_WM_SIZE()
ON_WM_SIZING()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_WM_TIMER()
ON_WM_INITMENUPOPUP()
ON_WM_RBUTTONUP()
ON_WM_CONTEXTMENU()
ON_WM_COPYDATA()
ON_WM_DEVICECHANGE()
ON_WM_SHOWWINDOW()
ON_COMMAND(IDM_ABOUTBOX, &CQordelDlg::OnAbout)
ON_COMMAND(ID_JOBLIST_ITEM, &CQordelDlg::OnPrepareJobs)
ON_COMMAND(ID_JOB_RUN, &CQordelDlg::OnRunSelectedJob)
ON_COMMAND(ID_JOB_ENABLE, &CQordelDlg::OnEnableJob)
ON_COMMAND(ID_JOB_ADD, &CQordelDlg::OnAddJob)
ON_COMMAND(ID_JOB_DELETE, &CQordelDlg::OnDeleteJob)
ON_COMMAND(ID_JOB_RESTORE, &CQordelDlg::OnRestore)
ON_COMMAND(IDC_RESTORE_TO_OTHER, &CQordelDlg::OnRestoreToFolder)
ON_COMMAND(IDC_RESTORE_TO_ORIGIN, &CQordelDlg::OnRestoreToOriginal)
ON_COMMAND(IDC_RESTORE_OPTION, &CQordelDlg::OnRestoreOptionToggle)
ON_COMMAND(IDC_RUN_JOBS, &CQordelDlg::OnRunJobsCommand)
ON_COMMAND(IDC_BACK, &CQordelDlg::OnBack)
ON_COMMAND(ID_TRAY_OPEN_MAIN, &CQordelDlg::OnTrayOpen)
ON_COMMAND(ID_TRAY_EXIT_MAIN, &CQordelDlg::OnTrayExit)
ON_COMMAND(ID_HELP, &CQordelDlg::OnHelp)
ON_COMMAND(ID_VIEW_LOG, &CQordelDlg::OnViewLog)
ON_COMMAND(ID_MAKER_WEB_PAGE, &CQordelDlg::OnMakerWebPage)
ON_COMMAND(ID_MENU_32793, &CQordelDlg::OnNoAction)
ON_COMMAND(ID_MENU_32797, &CQordelDlg::OnNoAction)
ON_COMMAND(ID_MENU_57670, &CQordelDlg::OnNoAction)
ON_MESSAGE(WM_RUN_JOB_NOW, &CQordelDlg::OnRunJobNowMessage)
ON_MESSAGE(WM_JOB_FINISHED, &CQordelDlg::OnJobFinished)
ON_MESSAGE(WM_JOB_CANCELLED, &CQordelDlg::OnJobCancelled)
ON_MESSAGE(WM_JOB_FAILED, &CQordelDlg::OnJobFailed)
ON_MESSAGE(WM_JOB_PROGRESS, &CQordelDlg::OnJobProgress)
ON_MESSAGE(WM_SHOW_STRING_MESSAGE, &CQordelDlg::OnShowStringMessage)
ON_MESSAGE(WM_MAIN_TRAY_NOTIFY, &CQordelDlg::OnTrayIconNotify)
ON_MESSAGE(WM_TRAY_COMMAND, &CQordelDlg::OnTrayCommand)
ON_MESSAGE(WM_SHOW_INSTANCE, &CQordelDlg::OnShowInstance)
ON_MESSAGE(WM_ACTIVATE_INSTANCE, &CQordelDlg::OnActivateInstance)
ON_MESSAGE(WM_MAIN_UPDATE_JOB, &CQordelDlg::OnUpdateJobMessage)
ON_MESSAGE(WM_JOB_STATUS, &CQordelDlg::OnJobStatus)
ON_MESSAGE(WM_ADD_JOB, &CQordelDlg::OnAddJobMessage)
ON_MESSAGE(WM_EDIT_BUTTON_CLICK, &CQordelDlg::OnBrowseFolder)
END_MESSAGE_MAP()

void CQordelDlg::OnCancel()
{
    // A running backup or restore is stopped through its progress window, not by closing the main window.
    if (viewState == VIEW_BACKUP_PAGE || viewState == VIEW_RESTORE_PAGE)
    {
        ReturnToJobList();
        return;
    }
    if (viewState != VIEW_JOB_LIST)
        return;
    CDialog::OnCancel();
    ::PostQuitMessage(0);
}

void CQordelDlg::OnOK()
{
}

void CQordelDlg::OnClose()
{
    OnCancel();
}

void CQordelDlg::OnDestroy()
{
    if (m_inTray && m_trayIcon.hWnd == m_hWnd && g_pfnShellNotifyIcon(NIM_DELETE, &m_trayIcon))
        m_inTray = FALSE;
    m_statusBlock.SetWindow(nullptr);
    {
        // The view goes with the window's children, after this; run threads must not find it any more.
        CSingleLock hold(&m_viewLock, TRUE);
        m_pJobListView = nullptr;
    }
    CDialog::OnDestroy();
}

void CQordelDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
    {
        OnAbout();
        return;
    }
    CWnd::OnSysCommand(nID, lParam);
}

void CQordelDlg::OnAbout()
{
    Invalidate();
    CAboutDlg about(this);
    about.DoModal();
}

void CQordelDlg::OnHelp()
{
}

void CQordelDlg::OnViewLog()
{
    AppLog.Flush();
    CJobDef *jobDef = m_pJobListView != nullptr ? m_pJobListView->GetSelectedJob() : nullptr;
    if (jobDef == nullptr)
        return;
    ViewJobLog(jobDef->GetOwner());
}

void CQordelDlg::ViewJobLog(CSyncJob *job)
{
    INT_PTR result = 0;
    if (job != nullptr)
    {
        job->GetLog().Flush();
        // The data folder's names hold blanks: the path goes to the editor in quotes.
        CString argument = L"\"";
        argument += job->GetLog().GetPath();
        argument += L"\"";
        result = reinterpret_cast<INT_PTR>(
            g_pfnMainShellExecute(m_hWnd, nullptr, L"notepad", argument, nullptr, SW_SHOWNORMAL));
        if (result > 32)
            return;
    }
    AppLog.LogAt(L"QordelDlg", __LINE__, ::GetLastError(), LM_ERROR, L"Unable to view log (%d)\n",
                 static_cast<int>(result));
}

void CQordelDlg::OnMakerWebPage()
{
    const wchar_t *url = VELBROOK_MAKER_URL;
    if (url[0] != L'\0')
        g_pfnMainShellExecute(m_hWnd, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void CQordelDlg::OnNoAction()
{
}

LRESULT CQordelDlg::OnUpdateJobMessage(WPARAM wParam, LPARAM)
{
    // The definition is only compared with the cards' own: one whose job has gone matches none.
    if (m_pJobListView != nullptr)
        m_pJobListView->UpdateJob(reinterpret_cast<CJobDef *>(wParam));
    return 0;
}

LRESULT CQordelDlg::OnJobStatus(WPARAM, LPARAM)
{
    return 1;
}
