// The main dialog's run road: a run queued by the engine or started from the window, the one-click rebuild of the
// default job, the big button, the item button's start and cancel, Back, the one-shot start, the page loader's
// hold on its job and the progress timer.
#include "app/window/QordelDlg.h"

#include "app/run/DefaultJob.h"
#include "app/run/TrayLink.h"
#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/windows/ErrorReportDlg.h"
#include "engine/windows/ProgressDialog.h"

BOOL CQordelDlg::IsWindowThread() const
{
    return m_hWnd != nullptr && ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId();
}

BOOL CQordelDlg::RunJobNow(CSyncJob *job, int argument)
{
    if (job == nullptr)
        return FALSE;
    if (m_hWnd != nullptr && !IsWindowThread())
    {
        RequestRun(job);
        return TRUE;
    }
    return StartRun(job, argument, FALSE);
}

void CQordelDlg::RequestRun(CSyncJob *job)
{
    HWND window = GetSafeHwnd();
    if (job != nullptr && window != nullptr)
        ::PostMessageW(window, WM_RUN_JOB_NOW, reinterpret_cast<WPARAM>(job), 0);
}

LRESULT CQordelDlg::OnRunJobNowMessage(WPARAM wParam, LPARAM)
{
    // The job may have left the collection (and been deleted) between the post and now.
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    if (job != nullptr && m_jobList.Contains(job))
        StartRun(job, 1, FALSE);
    return 0;
}

BOOL CQordelDlg::StartRun(CSyncJob *job, int argument, BOOL fromWindow)
{
    // Change processing claims idle jobs on its own thread: of the two, only the claimer runs the job.
    if (job->GetJobDef()->GetState() == 0 || !job->TryClaimRun())
        return FALSE;
    m_runningJobs.push_back({job, fromWindow});
    if (fromWindow && m_oneShotRun)
        m_pOneShotJob = job;
    if (fromWindow)
    {
        if (m_pProgressDlg != nullptr)
            m_pProgressDlg->ResetProgress(m_oneShotRun ? FALSE : TRUE);
        m_progressShown = TRUE;
        // The progress window takes the user's input while the run goes on; its end gives the window back.
        EnableWindow(FALSE);
    }
    GetJobDeque().Enqueue(job, argument);
    return TRUE;
}

CSyncJob *CQordelDlg::GetRunningJob()
{
    return m_runningJobs.empty() ? nullptr : m_runningJobs.front().job;
}

BOOL CQordelDlg::LeaveRunningList(CSyncJob *job)
{
    for (auto it = m_runningJobs.begin(); it != m_runningJobs.end(); ++it)
    {
        if (it->job == job)
        {
            const BOOL fromWindow = it->fromWindow;
            m_runningJobs.erase(it);
            return fromWindow;
        }
    }
    return FALSE;
}

CSyncJob *CQordelDlg::GetSelectedJobObject() const
{
    CJobDef *def = m_pJobListView != nullptr ? m_pJobListView->GetSelectedJob() : nullptr;
    CSyncJob *job = def != nullptr ? def->GetOwner() : nullptr;
    return job != nullptr && m_jobList.Contains(job) ? job : nullptr;
}

void CQordelDlg::OnRunSelectedJob()
{
    RunSelectedJob(FALSE);
}

void CQordelDlg::RunSelectedJob(BOOL fromArrival)
{
    if (viewState != VIEW_BACKUP_RUNNING)
        return;
    CSyncJob *job = GetSelectedJobObject();
    if (job == nullptr || job->GetJobDef()->GetState() == 0)
        return;
    if (job->m_runState != JOB_BUSY)
    {
        SetTimer(TIMER_RUN_PROGRESS, kMainTimerMs, nullptr);
        SendTrayProgress(0);
        if (!StartRun(job, 1, TRUE))
        {
            // Nothing runs: the page is the user's again.
            KillTimer(TIMER_RUN_PROGRESS);
            viewState = VIEW_BACKUP_PAGE;
            UpdateView();
        }
        return;
    }
    // A drive that arrives while the job runs has nothing to stop.
    if (fromArrival)
        return;
    job->GetJobDef()->SetCompleteStatus(3);
    job->Cancel();
    ShowWindow(SW_SHOW);
    EnableWindow(TRUE);
}

void CQordelDlg::OnPrepareJobs()
{
    PrepareDefaultJob(FALSE);
}

CSyncJob *CQordelDlg::FindRebuildTarget() const
{
    const CSyncJob *selected = GetSelectedJobObject();
    std::vector<RebuildCandidate> candidates;
    int selectedIndex = -1;
    for (INT_PTR i = 0; i < m_jobList.GetCount(); ++i)
    {
        CSyncJob *job = m_jobList.GetAt(i);
        if (job == selected)
            selectedIndex = static_cast<int>(i);
        candidates.push_back({job->m_defaultJob != FALSE, job->GetJobDef()->GetName(), job->GetJobDef()->GetDest()});
    }
    const int target = PickRebuildTarget(candidates, selectedIndex, g_strComputerName);
    return target >= 0 ? m_jobList.GetAt(target) : nullptr;
}

BOOL CQordelDlg::PrepareDefaultJob(BOOL fromInitDialog)
{
    // The restore page's job goes back to its stored form before the rebuild can save anything.
    ReleaseRestoreForm();
    CSyncJob *old = FindRebuildTarget();
    std::unique_ptr<CSyncJob> built;
    try
    {
        // The one job it replaces hands on its identity, so that its filter file and journal stay its own.
        built = BuildDefaultJob(old != nullptr ? old->GetJobDef()->GetJobUUID() : CString());
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        built.reset();
    }
    if (!built)
    {
        if (!fromInitDialog)
        {
            viewState = VIEW_JOB_LIST;
            UpdateView();
        }
        return FALSE;
    }
    CSyncJob *job = built.release();
    if (old != nullptr)
    {
        // The card goes over to the new job before the old one is deleted: nothing may draw a freed job.
        if (m_pJobListView != nullptr)
            m_pJobListView->ReplaceJob(old->GetJobDef(), job->GetJobDef());
        ForgetJob(old);
        m_jobList.RemoveJob(old);
    }
    m_jobList.Add(job);
    if (old == nullptr && m_pJobListView != nullptr)
        m_pJobListView->AddJob(job->GetJobDef());
    if (fromInitDialog)
        return TRUE;

    m_driveBar.SetSizeScanner(&job->GetJobDef()->GetFolderSizeScanner());
    if (m_backupPage.GetSafeHwnd() != nullptr)
        m_backupPage.SetJob(job);
    viewState = VIEW_BACKUP_PAGE;
    LoadJobPage(job, 0);
    UpdateView();
    return TRUE;
}

void CQordelDlg::ForgetJob(CSyncJob *job)
{
    LeaveRunningList(job);
    m_errorReports.erase(job);
    if (m_pHeldJob == job)
        m_pHeldJob = nullptr;
    if (m_pOneShotJob == job)
        m_pOneShotJob = nullptr;
    m_restoreForm.Forget(job);
    // The drive bar reads the size the job's scanner counts: it must not read it once the job is gone.
    if (m_driveBar.GetSizeScanner() == &job->GetJobDef()->GetFolderSizeScanner())
        m_driveBar.SetSizeScanner(nullptr);
    for (CSourcePage *page : {&m_backupPage, &m_restorePage})
    {
        if (page->GetJob() == job)
            page->SetJob(nullptr);
    }
}

void CQordelDlg::LoadJobPage(CSyncJob *job, int page)
{
    if (job == nullptr)
        return;
    CSourcePage &sourcePage = GetSourcePage(page);
    const bool hasWindow = sourcePage.GetSafeHwnd() != nullptr;
    if (page == 0 && !hasWindow && job->m_runState == JOB_BUSY)
        return;
    if (m_hWnd != nullptr)
        KillTimer(TIMER_JOB_SCHEDULE);
    if (m_pHeldJob != job)
        ReleaseHold();
    if (HoldJobForPage(*job))
        m_pHeldJob = job;
    if (hasWindow)
    {
        sourcePage.LoadFilters();
        return;
    }
    if (m_hWnd == nullptr)
        return;
    sourcePage.SetJob(job);
    if (!sourcePage.Create(CSourcePage::IDD, this))
    {
        AppLog.LogIdAt(L"QordelDlg", __LINE__, ::GetLastError(), LM_ERROR, IDS_LOG_TEMPLATE_MISSING,
                       static_cast<int>(CSourcePage::IDD));
        return;
    }
    SetPageWindow(page, &sourcePage);
    const CRect place = PageRect(page);
    sourcePage.MoveWindow(&place);
    sourcePage.LoadPage();
    m_layout.AddControl(&sourcePage, LAYOUT_TOP | LAYOUT_LEFT | LAYOUT_RIGHT | LAYOUT_BOTTOM);
    try
    {
        job->GetJobDef()->Load();
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
}

void CQordelDlg::ReleaseHold()
{
    if (m_pHeldJob != nullptr && m_jobList.Contains(m_pHeldJob))
        ReleasePageHold(*m_pHeldJob);
    m_pHeldJob = nullptr;
}

void CQordelDlg::ArmScheduleTimer()
{
    if (m_hWnd == nullptr)
        return;
    KillTimer(TIMER_JOB_SCHEDULE);
    SetTimer(TIMER_JOB_SCHEDULE, kMainTimerMs, nullptr);
}

void CQordelDlg::ReturnToJobList()
{
    ReleaseRestoreForm();
    ReleaseHold();
    viewState = VIEW_JOB_LIST;
    UpdateView();
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
    ArmScheduleTimer();
}

void CQordelDlg::OnRunJobsCommand()
{
    OnRunJobs();
}

void CQordelDlg::OnRunJobs()
{
    switch (viewState)
    {
    case VIEW_BACKUP_PAGE: {
        // A page that refuses has told the user why; its job stays held on it.
        if (m_backupPage.GetSafeHwnd() != nullptr && !m_backupPage.SavePage())
            break;
        // The job goes to its run released from the page.
        ReleaseHold();
        CSyncJob *job = GetSelectedJobObject();
        if (job != nullptr)
        {
            try
            {
                job->UpdateSourceDestinations();
            }
            catch (const _com_error &error)
            {
                job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
            }
        }
        viewState = VIEW_BACKUP_RUNNING;
        UpdateView();
        RunSelectedJob(FALSE);
        break;
    }
    case VIEW_BACKUP_RUNNING:
        RunSelectedJob(FALSE);
        break;
    case VIEW_RESTORE_PAGE:
        StartRestore();
        break;
    case VIEW_RESTORE_RUNNING: {
        // The restore's own job, whatever card is selected now; its end gives the window back (EndStoppedRun).
        CSyncJob *job = m_restoreForm.GetJob();
        if (job == nullptr || !m_jobList.Contains(job))
            job = GetSelectedJobObject();
        if (job != nullptr)
            job->Cancel();
        break;
    }
    default:
        break;
    }
}

void CQordelDlg::OnBack()
{
    if (viewState == VIEW_BACKUP_RUNNING || viewState == VIEW_RESTORE_RUNNING)
    {
        if (m_pProgressDlg != nullptr && m_pProgressDlg->GetSafeHwnd() != nullptr)
            m_pProgressDlg->PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        return;
    }
    OnCancel();
}

void CQordelDlg::RunBackupFromCommandLine()
{
    // A user who has the window open keeps the program when the backup ends.
    m_userOpenedWindow = m_hWnd != nullptr && IsWindowVisible() ? TRUE : FALSE;
    viewState = VIEW_BACKUP_PAGE;
    m_oneShotRun = TRUE;
    m_pOneShotJob = nullptr;
    const BOOL prepared = PrepareDefaultJob(FALSE);
    if (prepared)
        OnRunJobs();
    m_oneShotRun = FALSE;
    // Nothing runs that would end the program (nothing was built, or the page refused its choices): the user must
    // be able to reach it.
    if (!prepared || m_pOneShotJob == nullptr || viewState == VIEW_BACKUP_PAGE)
    {
        m_userOpenedWindow = TRUE;
        ShowWindow(SW_SHOW);
    }
}

void CQordelDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == TIMER_RUN_PROGRESS)
        OnProgressTimer();
    else if (nIDEvent == TIMER_JOB_SCHEDULE)
        OnScheduleTimer();
    CDialog::OnTimer(nIDEvent);
}

void CQordelDlg::OnProgressTimer()
{
    if (m_runningJobs.empty())
        return;
    if (m_pProgressDlg != nullptr)
        m_pProgressDlg->ShowCompleted();
    const RunningJob running = m_runningJobs.front();
    CSyncJob *job = running.job;
    int percent = job->m_progressPercent;
    if ((viewState == VIEW_BACKUP_PAGE || viewState == VIEW_BACKUP_RUNNING) && FindTrayWindow() != nullptr)
    {
        percent = TrayPercent(percent, job->m_bytesTotal, job->m_bytesDone);
        SendTrayProgress(percent);
    }
    if (percent == 100)
    {
        if (running.fromWindow)
            KillTimer(TIMER_RUN_PROGRESS);
        UpdateView();
    }
}
