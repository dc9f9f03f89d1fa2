// The main dialog's own icon in the notification area and its menu, the tray program's commands, and a second
// start's requests to show the window.
#include "app/window/QordelDlg.h"

#include "app/run/TrayLink.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/windows/ProgressDialog.h"
#include "tray/logic/TrayMessages.h"
#include "ui/boxes/MessageBoxDlg.h"

BOOL CQordelDlg::AddTrayIcon()
{
    if (m_inTray)
        return FALSE;
    const BOOL added = g_pfnShellNotifyIcon(NIM_ADD, &m_trayIcon);
    if (added == TRUE)
        m_inTray = TRUE;
    return added;
}

void CQordelDlg::RestoreFromTray()
{
    if (m_inTray && g_pfnShellNotifyIcon(NIM_DELETE, &m_trayIcon) == TRUE)
    {
        m_inTray = FALSE;
        ShowWindow(SW_SHOW);
    }
}

void CQordelDlg::OnTrayOpen()
{
    RestoreFromTray();
}

void CQordelDlg::OnShowWindow(BOOL bShow, UINT nStatus)
{
    // The icon goes when the window comes back, whoever shows it.
    if (m_inTray && bShow && g_pfnShellNotifyIcon(NIM_DELETE, &m_trayIcon) == TRUE)
    {
        m_inTray = FALSE;
        ShowWindow(SW_SHOW);
        return;
    }
    CDialog::OnShowWindow(bShow, nStatus);
}

LRESULT CQordelDlg::OnTrayIconNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != 1)
        return 0;
    if (lParam == WM_CONTEXTMENU || lParam == WM_RBUTTONDOWN)
    {
        POINT cursor = {};
        ::GetCursorPos(&cursor);
        ShowTrayMenu(cursor.x, cursor.y);
    }
    else if (lParam == WM_LBUTTONDBLCLK)
    {
        RestoreFromTray();
    }
    return 0;
}

void CQordelDlg::ShowTrayMenu(int x, int y)
{
    CMenu *popup = m_trayMenu.GetSubMenu(0);
    if (popup == nullptr)
        return;
    SetForegroundWindow();
    popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, x, y, this);
    // The menu closes properly only once the window has had a message after it.
    PostMessage(WM_NULL, 0, 0);
}

void CQordelDlg::OnTrayExit()
{
    if (SkinMessageBoxId(IDS_ASK_EXIT, MB_YESNO | MB_ICONQUESTION) != IDYES)
    {
        Invalidate(TRUE);
        return;
    }
    // Only now: the destination watch ends on the stop event, and a No must keep the program whole.
    StopEvent.SetEvent();
    // The dialogs of job setup still stand on this window, and their road on a job of its list: WM_QUIT breaks
    // them off one by one, and the window goes with the program.
    if (!m_jobSetupOpen)
        DestroyWindow();
    ::PostQuitMessage(0);
}

LRESULT CQordelDlg::OnTrayCommand(WPARAM wParam, LPARAM)
{
    if (wParam == ID_TRAY_BACKUP_NOW)
    {
        // The one-click rebuild would remove or replace the job a restore is writing back with: the backup is
        // refused, and the tray program says why.
        if (viewState == VIEW_RESTORE_RUNNING)
        {
            AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_WARNING, IDS_LOG_BACKUP_WAITS_FOR_RESTORE);
            SendTrayRunStopped(IDS_BACKUP_WAITS_FOR_RESTORE, 0);
            return 0;
        }
        RunBackupFromCommandLine();
    }
    else if (wParam == ID_TRAY_SHOW_MAIN)
        ShowOnRequest();
    return 0;
}

void CQordelDlg::ShowOnRequest()
{
    ShowWindow(SW_SHOW);
    // Only the backup page the user is choosing on: during a run its choices are the run's, to be saved at its
    // end, and on the other faces its job may be gone.
    if (viewState == VIEW_BACKUP_PAGE && m_backupPage.GetSafeHwnd() != nullptr)
        m_backupPage.LoadFilters();
    if (m_progressShown && m_pProgressDlg != nullptr && m_pProgressDlg->GetSafeHwnd() != nullptr)
        m_pProgressDlg->ShowWindow(SW_SHOW);
    m_userOpenedWindow = TRUE;
}

LRESULT CQordelDlg::OnShowInstance(WPARAM, LPARAM)
{
    if (!IsWindowVisible())
        ShowOnRequest();
    if (!m_progressShown && m_pProgressDlg != nullptr && m_pProgressDlg->GetSafeHwnd() != nullptr)
        m_pProgressDlg->ShowWindow(SW_HIDE);
    return 0;
}

LRESULT CQordelDlg::OnActivateInstance(WPARAM, LPARAM)
{
    if (!m_progressShown || m_pProgressDlg == nullptr || m_pProgressDlg->GetSafeHwnd() == nullptr)
        return 0;
    m_pProgressDlg->ShowWindow(SW_SHOW);
    m_pProgressDlg->SetForegroundWindow();
    m_pProgressDlg->BringWindowToTop();
    m_pProgressDlg->SetActiveWindow();
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    ::SetWindowPos(m_pProgressDlg->GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(m_pProgressDlg->GetSafeHwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    return 0;
}
