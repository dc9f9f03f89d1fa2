// The main dialog's small commands: closing, the system menu's about item, help, the log viewer and the maker's
// web page; and the messages other threads send or post to the window.
#include "app/window/QordelDlg.h"

#include <shellapi.h>

#include "app/window/AboutDlg.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/store/SyncJobList.h"

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
ON_COMMAND(IDM_ABOUTBOX, &CQordelDlg::OnAbout)
ON_COMMAND(ID_HELP, &CQordelDlg::OnHelp)
ON_COMMAND(ID_VIEW_LOG, &CQordelDlg::OnViewLog)
ON_COMMAND(ID_MAKER_WEB_PAGE, &CQordelDlg::OnMakerWebPage)
ON_COMMAND(ID_MENU_32793, &CQordelDlg::OnNoAction)
ON_COMMAND(ID_MENU_32797, &CQordelDlg::OnNoAction)
ON_COMMAND(ID_MENU_57670, &CQordelDlg::OnNoAction)
ON_MESSAGE(WM_MAIN_REQUEST_RUN, &CQordelDlg::OnRequestRun)
ON_MESSAGE(WM_MAIN_UPDATE_JOB, &CQordelDlg::OnUpdateJobMessage)
ON_MESSAGE(WM_JOB_STATUS, &CQordelDlg::OnJobStatus)
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

void CQordelDlg::OnDestroy()
{
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

LRESULT CQordelDlg::OnRequestRun(WPARAM wParam, LPARAM)
{
    // The job may have left the collection (and been deleted) between the post and now.
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    if (job != nullptr && GetJobList()->Contains(job))
        RunJobNow(job, 1);
    return 0;
}

void CQordelDlg::OnViewLog()
{
    AppLog.Flush();
    CJobDef *jobDef = m_pJobListView != nullptr ? m_pJobListView->GetSelectedJob() : nullptr;
    if (jobDef == nullptr)
        return;
    CSyncJob *job = jobDef->GetOwner();
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
