// The main dialog's small commands: closing, the system menu's about item and help.
#include "app/window/QordelDlg.h"

#include "app/window/AboutDlg.h"
#include "engine/store/SyncJobList.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

BEGIN_MESSAGE_MAP(CQordelDlg, CDialog)
ON_WM_CLOSE()
ON_WM_SYSCOMMAND()
ON_COMMAND(IDM_ABOUTBOX, &CQordelDlg::OnAbout)
ON_COMMAND(ID_HELP, &CQordelDlg::OnHelp)
ON_MESSAGE(WM_MAIN_REQUEST_RUN, &CQordelDlg::OnRequestRun)
END_MESSAGE_MAP()

void CQordelDlg::OnCancel()
{
    if (viewState != 0)
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

LRESULT CQordelDlg::OnRequestRun(WPARAM wParam, LPARAM)
{
    // The job may have left the collection (and been deleted) between the post and now.
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    if (job != nullptr && GetJobList()->Contains(job))
        RunJobNow(job, 1);
    return 0;
}
