// The main dialog's job commands: a new job through the job type chooser, the deletion of a job with its filter
// files, a job that job setup hands over, the job menu of the job list, and the "--select" and "--create"
// requests that a later start (or start-up itself) hands over by WM_COPYDATA.
#include "app/window/QordelDlg.h"

#include "app/run/JobCommandRules.h"
#include "app/window/JobCommandWindows.h"
#include "app/start/QordelObjects.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "platform/system/Resources.h"
#include "setup/jobdialogs/SvrSelectDlg.h"
#include "setup/wizard/JobTypeSelDlg.h"
#include "setup/wizard/SetupReports.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// The job selection dialog's list: a job list view of its own, whose cards take no clicks on their buttons.
class JobListPicker : public IJobPicker
{
  public:
    explicit JobListPicker(CJobListView *view) : m_view(view)
    {
    }
    void AddJob(CJobDef *jobDef) override
    {
        // The view selects each card it adds: the user must pick one, not find the last one picked for them.
        if (CJobListItem *item = m_view->AddJob(jobDef))
            item->m_selected = FALSE;
    }
    CJobDef *GetSelectedJob() const override
    {
        return m_view->GetSelectedJob();
    }

  private:
    // The view deletes itself with its window, a child of the dialog.
    CJobListView *m_view;
};

std::unique_ptr<IJobPicker> MakeJobListPicker(CWnd &parent, const CRect &rect, UINT id)
{
    auto *view = dynamic_cast<CJobListView *>(RUNTIME_CLASS(CJobListView)->CreateObject());
    if (view == nullptr)
        return nullptr;
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, rect, &parent, id))
    {
        delete view;
        return nullptr;
    }
    view->OnInitialUpdate();
    return std::make_unique<JobListPicker>(view);
}

INT_PTR RunJobTypeChooser(CWnd *parent)
{
    CJobTypeSelDlg chooser(parent);
    return RunSetupDialog(chooser);
}

INT_PTR RunJobSelection()
{
    CSvrSelectDlg dialog(nullptr, &MakeJobListPicker);
    return RunSetupDialog(dialog);
}

PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW *info)
{
    return ::SHBrowseForFolderW(info);
}

BOOL TrackMenu(HMENU menu, UINT flags, int x, int y, HWND owner)
{
    return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

// Positions of the job menu's popups in menu 467.
const int kJobMenuPopups[] = {0, 1};

} // namespace

Seam<JobCommandWindows> g_jobCommandWindows{
    JobCommandWindows{&RunJobTypeChooser, &RunJobSelection, &BrowseForFolder, &TrackMenu}};

int CQordelDlg::FindJobByPath(CSyncJob *job, LPCWSTR path)
{
    try
    {
        return ClassifyDestination(m_jobList, job, path);
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return -1;
    }
}

void CQordelDlg::OnAddJob()
{
    if (m_jobSetupOpen)
    {
        SkinMessageBoxId(IDS_JOB_SETUP_OPEN, MB_OK);
        return;
    }
    m_jobSetupOpen = TRUE;
    const JobCommandWindows windows = g_jobCommandWindows.Get();
    if (windows.runJobTypeChooser)
        windows.runJobTypeChooser(this);
    // Whatever the chooser ended with: a job it made is saved, and the schedule takes it from the next tick.
    SaveStore();
    ArmScheduleTimer();
    m_jobSetupOpen = FALSE;
}

void CQordelDlg::OnDeleteJob()
{
    const int answer = SkinMessageBoxId(IDS_ASK_DELETE_JOB, MB_YESNO | MB_ICONQUESTION);
    if (m_pJobListView != nullptr)
        m_pJobListView->Invalidate(TRUE);
    CSyncJob *job = GetSelectedJobObject();
    if (answer == IDYES && job != nullptr)
        DeleteJob(job);
    SaveStore();
}

void CQordelDlg::DeleteJob(CSyncJob *job)
{
    CJobDef *def = job->GetJobDef();
    const CString jobUuid = def->GetJobUUID();
    const CString name = def->GetName();
    if (def->GetJsType() == 0)
        SetJobEnabled(job, FALSE, FALSE);
    ForgetJob(job);
    if (m_pJobListView != nullptr)
        m_pJobListView->RemoveJob(def);
    job->GetLog().LogIdAt(L"QordelDlg", __LINE__, ::GetLastError(), LM_INFO, IDS_LOG_JOB_DELETED, name.GetString());
    // It waits for the threads that borrowed the job, and deletes it.
    m_jobList.RemoveJob(job);
    DeleteJobFilterFiles(name, jobUuid);
}

void CQordelDlg::DeleteJobFilterFiles(const CString &name, const CString &jobUuid)
{
    const std::vector<CString> files = JobFilterFilesOf(jobUuid);
    if (files.empty())
    {
        AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_WARNING, IDS_LOG_FILTER_FILES_KEPT, name.GetString(),
                       jobUuid.GetString());
        return;
    }
    for (const CString &file : files)
    {
        if (::DeleteFileW(file))
            continue;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            AppLog.LogIdAt(L"QordelDlg", __LINE__, error, LM_ERROR, IDS_LOG_FILTER_FILE_NOT_DELETED, file.GetString(),
                           name.GetString(), GetSystemErrorText(error).GetString());
    }
}

LRESULT CQordelDlg::OnAddJobMessage(WPARAM wParam, LPARAM)
{
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    if (job == nullptr || m_jobList.Contains(job))
        return 0;
    m_jobList.Add(job);
    JobListInsert(job);
    SaveStore();
    return 0;
}

void CQordelDlg::OnContextMenu(CWnd *pWnd, CPoint point)
{
    if (m_pJobListView == nullptr || pWnd == nullptr || pWnd->GetSafeHwnd() != m_pJobListView->GetSafeHwnd())
    {
        CDialog::OnContextMenu(pWnd, point);
        return;
    }
    // The menu key sends no point: the menu opens at the mouse pointer.
    if (point.x == -1 && point.y == -1)
        ::GetCursorPos(&point);
    CMenu menu;
    CMenu popup;
    if (!menu.LoadMenu(IDR_MAIN_MENU) || !popup.CreatePopupMenu())
        return;
    // The job menu's popups keep their places of menu 467, which the menu's enabling goes by.
    for (int position : kJobMenuPopups)
    {
        CMenu *submenu = menu.GetSubMenu(position);
        CString title;
        menu.GetMenuString(position, title, MF_BYPOSITION);
        if (submenu != nullptr)
            popup.AppendMenu(MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu->GetSafeHmenu()), title);
    }
    const JobCommandWindows windows = g_jobCommandWindows.Get();
    SetForegroundWindow();
    if (windows.trackMenu)
        windows.trackMenu(popup.GetSafeHmenu(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, m_hWnd);
    // The menu closes properly only once the window has had a message after it.
    PostMessage(WM_NULL, 0, 0);
    // The submenus are menu's: the popup lets go of them before it is destroyed.
    while (popup.GetMenuItemCount() > 0)
        popup.RemoveMenu(0, MF_BYPOSITION);
}

BOOL CQordelDlg::OnCopyData(CWnd *pWnd, COPYDATASTRUCT *pCopyDataStruct)
{
    // The sender gives up after 10 s while a dialog of this request stays open, and its text is the message's
    // only while it is handled: it is copied first.
    const CString text =
        pCopyDataStruct != nullptr ? CopyDataText(pCopyDataStruct->lpData, pCopyDataStruct->cbData) : CString();
    const CommandRequest request = ParseCommandRequest(text);
    const bool busy = m_jobSetupOpen || viewState == VIEW_RESTORE_RUNNING;
    if (busy && request.mode != START_MODE_NONE)
    {
        // The open dialog reads the pending paths, and a restore's job is not to be touched: nothing changes.
        SkinMessageBoxId(IDS_JOB_SETUP_OPEN, MB_OK);
    }
    else if (!busy)
    {
        m_pendingSources.RemoveAll();
        theApp.SetStartMode(request.mode);
        if (request.mode == START_MODE_SELECT)
            SelectJobForPendingSources(request.paths);
        else if (request.mode == START_MODE_CREATE)
            CreateJobForPendingSources(request.paths);
    }
    // A start that hid the window for its request leaves it hidden for no one: the window shows (a hidden
    // one-shot backup and the notification area's icon aside).
    if (!IsWindowVisible() && !m_inTray && m_pOneShotJob == nullptr)
        ShowOnRequest();
    return CDialog::OnCopyData(pWnd, pCopyDataStruct);
}

void CQordelDlg::SelectJobForPendingSources(const CString &paths)
{
    ShowWindow(SW_HIDE);
    FillPendingPaths(paths, m_pendingSources);
    m_jobSetupOpen = TRUE;
    const JobCommandWindows windows = g_jobCommandWindows.Get();
    if (windows.runJobSelection)
        windows.runJobSelection();
    m_jobSetupOpen = FALSE;
    // The paths were this request's: a later new job must not find them.
    m_pendingSources.RemoveAll();
    ShowOnRequest();
}

void CQordelDlg::CreateJobForPendingSources(const CString &paths)
{
    FillPendingPaths(paths, m_pendingSources);
    OnAddJob();
    m_pendingSources.RemoveAll();
}
