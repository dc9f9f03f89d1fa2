// The main dialog's job commands: enabling and disabling a job, the job menus' enabling rules, the context menu,
// and the schedule timer, which hands one due job per tick to the job path check.
#include "app/window/QordelDlg.h"

#include "engine/continuous/DirectoryWatch.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/SyncJob.h"
#include "engine/store/JobDef.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"

namespace
{

// Positions of the job menus' popups in menu 467.
const UINT kRestoreAndLogPopup = 0;
const UINT kJobCommandPopup = 1;

void EnableItem(CMenu *menu, UINT id, bool enabled)
{
    menu->EnableMenuItem(id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

} // namespace

void CQordelDlg::OnScheduleTimer()
{
    if (!m_jobList.GetDocument())
        return;
    CSyncJob *job = m_jobList.GetNextDueJob();
    if (job == nullptr)
        return;
    try
    {
        CheckJobPaths(*job, m_changeWatch.GetWatcher(), m_changeWatch.GetHandler(), this);
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
}

void CQordelDlg::OnEnableJob()
{
    CSyncJob *job = GetSelectedJobObject();
    if (job == nullptr)
        return;
    KillTimer(TIMER_JOB_SCHEDULE);
    SetJobEnabled(job, job->GetJobDef()->GetState() == 0, TRUE);
    ArmScheduleTimer();
    if (m_pJobListView != nullptr)
        m_pJobListView->UpdateJob(job->GetJobDef());
}

void CQordelDlg::SetJobEnabled(CSyncJob *job, BOOL enable, BOOL)
{
    if (job == nullptr)
        return;
    const CString name = job->GetJobDef()->GetName();
    if (enable)
    {
        job->CheckDestination(2);
        job->GetLog().LogIdAt(L"QordelDlg", __LINE__, ::GetLastError(), LM_INFO, IDS_LOG_JOB_ENABLED, name.GetString());
        job->Enable();
    }
    else
    {
        job->GetLog().LogIdAt(L"QordelDlg", __LINE__, ::GetLastError(), LM_INFO, IDS_LOG_JOB_DISABLED,
                              name.GetString());
        job->Disable();
    }
    if (m_pJobListView != nullptr)
        m_pJobListView->UpdateJob(job->GetJobDef());
}

void CQordelDlg::OnInitMenuPopup(CMenu *pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CDialog::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (bSysMenu || pPopupMenu == nullptr)
        return;
    CSyncJob *job = GetSelectedJobObject();
    const bool haveJob = job != nullptr;
    const bool enabled = haveJob && job->GetJobDef()->GetState() != 0;
    const bool running = haveJob && job->m_runState == JOB_BUSY;
    if (nIndex == kRestoreAndLogPopup)
    {
        EnableItem(pPopupMenu, ID_JOB_RESTORE, haveJob && job->GetJobDef()->GetSyncType() != 2);
        EnableItem(pPopupMenu, ID_VIEW_LOG, haveJob);
    }
    else if (nIndex == kJobCommandPopup)
    {
        EnableItem(pPopupMenu, ID_JOBLIST_ITEM, haveJob && !running);
        EnableItem(pPopupMenu, ID_JOB_DELETE, haveJob);
        EnableItem(pPopupMenu, ID_JOB_RUN, enabled && !running);
        EnableItem(pPopupMenu, ID_JOB_ENABLE, haveJob);
        if (haveJob)
            pPopupMenu->ModifyMenu(ID_JOB_ENABLE, MF_BYCOMMAND | MF_STRING, ID_JOB_ENABLE,
                                   enabled ? m_strMenuDisable : m_strMenuEnable);
    }
}

void CQordelDlg::OnRButtonUp(UINT nFlags, CPoint point)
{
    CMenu menu;
    if (menu.LoadMenu(IDR_MAIN_MENU))
    {
        CMenu *popup = menu.GetSubMenu(2);
        if (popup != nullptr)
        {
            popup->RemoveMenu(ID_MENU_32793, MF_BYCOMMAND);
            CPoint screen = point;
            ClientToScreen(&screen);
            popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, AfxGetMainWnd());
        }
    }
    CDialog::OnRButtonUp(nFlags, point);
}
