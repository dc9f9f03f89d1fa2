// The end of a run, as the engine reports it to the main dialog: finished, cancelled or failed, each once per run
// with the job as wParam; and the engine's progress and string messages.
#include "app/window/QordelDlg.h"

#include "app/run/RestoreEndText.h"
#include "app/run/RunStopText.h"
#include "app/run/TrayLink.h"
#include "app/start/QordelObjects.h"
#include "engine/continuous/DirectoryWatch.h"
#include "engine/continuous/JobPaths.h"
#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "engine/windows/ErrorReportDlg.h"
#include "engine/windows/ProgressDialog.h"
#include "ui/boxes/MessageBoxDlg.h"

LRESULT CQordelDlg::OnJobFinished(WPARAM wParam, LPARAM lParam)
{
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    const BOOL fromWindow = LeaveRunningList(job);
    const bool oneShot = TakeOneShotJob(job);
    // A job that left the collection may be gone: the queue only counts its run, reading nothing of it.
    if (job == nullptr || !m_jobList.Contains(job))
    {
        GetJobDeque().OnJobFinished(job, false);
        if (oneShot && !m_userOpenedWindow)
            EndOneShotProcess(EXIT_RUN_STOPPED);
        return 0;
    }
    try
    {
        WatchTwoWayDestinations(job);
    }
    catch (const _com_error &error)
    {
        job->GetLog().LogAt(L"QordelDlg", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }

    // Taken before the end-of-run reset clears the cancel flag.
    FinishedRunFacts facts;
    facts.cancelled = job->m_cancelFlag;
    facts.firstBackup = job->IsFirstBackup();
    facts.allProcessed = job->AllFilesProcessed();
    facts.errorCount = job->GetErrorCount();
    facts.hasErrorItems = job->GetErrorList().GetCount() > 0 ? TRUE : FALSE;
    facts.completeStatus = job->GetJobDef()->GetCompleteStatus();
    const UINT messageId = ChooseFinishedMessage(facts);
    const bool restore = job->m_journalFlag == FALSE;
    const int newerKept = job->m_newerKept;

    // Only a run the window started and follows moves the view and speaks to the user; the schedule's and the
    // watch's runs end quietly, and so does a one-shot run that nobody opened the window for.
    const BOOL followed =
        fromWindow && (viewState == VIEW_BACKUP_RUNNING || viewState == VIEW_RESTORE_RUNNING) ? TRUE : FALSE;
    const bool quiet = oneShot && !m_userOpenedWindow;
    const bool countBackup = followed && viewState == VIEW_BACKUP_RUNNING;
    // The page's choices are the job's from now on.
    if (countBackup && m_backupPage.GetSafeHwnd() != nullptr && m_backupPage.GetJob() == job)
        m_backupPage.SaveFilters();
    // The end of the run saves the store: the restore's job is its stored self again first.
    if (job == m_restoreForm.GetJob())
        PutBackRestoreForm();
    ReportStoreSave(m_jobList.RecordRunEnd(*job, true, false, countBackup), quiet);

    const CString message =
        restore ? RestoreEndText(facts.errorCount, newerKept) : EndMessageText(messageId, viewState);
    // Without a progress window to show it (and to give the window back with its OK), the end is a box.
    const bool progressShown =
        m_pProgressDlg != nullptr && m_pProgressDlg->GetSafeHwnd() != nullptr && m_pProgressDlg->IsWindowVisible();
    if (fromWindow && !quiet && !progressShown)
    {
        if (followed && m_hWnd != nullptr)
            EnableWindow(TRUE);
        SkinMessageBox(message, MB_OK);
        if (m_hWnd != nullptr)
            Invalidate(TRUE);
    }
    if (fromWindow && !quiet && lParam != 0)
        ShowErrorReport(job);

    if (followed)
    {
        KillTimer(TIMER_RUN_PROGRESS);
        if (viewState == VIEW_BACKUP_RUNNING)
        {
            DeployTrayAndLanguageFiles(g_strAppFolder);
            SendTrayProgress(100);
        }
        if (m_pProgressDlg != nullptr && !quiet)
            m_pProgressDlg->ShowFinished(message, 100, 0);
        if (m_pJobListView != nullptr)
            m_pJobListView->UpdateDriveButton(m_pJobListView->GetSelectedItem());
        viewState = ViewAfterRunEnd(viewState, RunEnd::Finished).viewState;
        UpdateView();
    }
    if (fromWindow && !quiet && lParam != 0)
        ViewJobLog(job);
    if (quiet)
        EndOneShotProcess(RunExitCode(true, facts.errorCount));
    return 0;
}

LRESULT CQordelDlg::OnJobCancelled(WPARAM wParam, LPARAM lParam)
{
    EndStoppedRun(reinterpret_cast<CSyncJob *>(wParam), lParam, TRUE);
    return 0;
}

LRESULT CQordelDlg::OnJobFailed(WPARAM wParam, LPARAM lParam)
{
    EndStoppedRun(reinterpret_cast<CSyncJob *>(wParam), lParam, FALSE);
    return 0;
}

void CQordelDlg::EndStoppedRun(CSyncJob *job, LPARAM lParam, BOOL cancelled)
{
    // A waiting job taken out of the queue had no run to count.
    const bool onlyWaiting = cancelled && lParam != 0;
    const BOOL fromWindow = LeaveRunningList(job);
    const bool oneShot = TakeOneShotJob(job);
    const bool quiet = oneShot && !m_userOpenedWindow;
    if (job == nullptr || !m_jobList.Contains(job))
    {
        GetJobDeque().OnJobFinished(job, onlyWaiting);
        if (quiet)
            EndOneShotProcess(EXIT_RUN_STOPPED);
        return;
    }
    if (m_pJobListView != nullptr)
        m_pJobListView->Invalidate(TRUE);
    // Why it stopped, as the run's log tells it: read before the end-of-run reset.
    const RunStopCause cause =
        GetRunStopCause(job->m_destinationLost, job->m_diskFull, job->m_networkRetry,
                        ::GetFileAttributesW(job->GetJobDef()->GetDest()) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE,
                        job->m_destinationRefused);
    const DWORD lastError = job->m_lastCopyError;
    // A restore tells its end in its own words; the mark stays until the end below is recorded.
    const bool restore = job->m_restoreRun != FALSE;
    if (job == m_restoreForm.GetJob())
        PutBackRestoreForm();
    ReportStoreSave(m_jobList.RecordRunEnd(*job, false, onlyWaiting, false), quiet);

    const BOOL followed =
        fromWindow && (viewState == VIEW_BACKUP_RUNNING || viewState == VIEW_RESTORE_RUNNING) ? TRUE : FALSE;
    // The run is over, however it stopped: its progress window goes and the window is the user's again.
    if (followed)
        GiveWindowBack();
    if (fromWindow && !quiet)
    {
        if (!cancelled)
            SkinMessageBox(RunStopText(cause, lastError, restore), MB_OK);
        else if (viewState == VIEW_BACKUP_RUNNING)
            SkinMessageBoxId(IDS_BACKUP_CANCELLED, MB_OK);
        else if (viewState == VIEW_RESTORE_RUNNING)
            SkinMessageBoxId(IDS_RESTORE_CANCELLED, MB_OK);
    }
    SendTrayHideBalloon();
    // The tray program showed this run's progress: it tells why it stopped, also when no box does.
    if (fromWindow && !cancelled)
        SendTrayRunStopped(RunStopTextId(cause, restore), lastError);
    if (followed)
    {
        KillTimer(TIMER_RUN_PROGRESS);
        const RunEndView next = ViewAfterRunEnd(viewState, cancelled ? RunEnd::Cancelled : RunEnd::Failed);
        if (next.toJobList)
        {
            ReturnToJobList();
        }
        else
        {
            viewState = next.viewState;
            if (next.updateView)
                UpdateView();
        }
    }
    if (quiet)
        EndOneShotProcess(EXIT_RUN_STOPPED);
}

void CQordelDlg::GiveWindowBack()
{
    if (m_pProgressDlg != nullptr && m_pProgressDlg->GetSafeHwnd() != nullptr)
        m_pProgressDlg->ShowWindow(SW_HIDE);
    m_progressShown = FALSE;
    if (m_hWnd != nullptr)
        EnableWindow(TRUE);
}

bool CQordelDlg::TakeOneShotJob(CSyncJob *job)
{
    if (job == nullptr || job != m_pOneShotJob)
        return false;
    m_pOneShotJob = nullptr;
    return true;
}

void CQordelDlg::EndOneShotProcess(int exitCode)
{
    // The one-shot start left nothing else running (no schedule, no watch): the process has done its work.
    g_nProgramExitCode = exitCode;
    ::PostQuitMessage(exitCode);
}

void CQordelDlg::ReportStoreSave(HRESULT result, bool quiet)
{
    if (SUCCEEDED(result))
        return;
    AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_ERROR, IDS_LOG_JOB_STORE_SAVE_FAILED, g_strJobsXmlPath.GetString(),
                   static_cast<unsigned>(result));
    // Every later end fails the same way: the user hears of it once, when someone is there to read it.
    if (quiet || m_storeSaveFailureShown)
        return;
    m_storeSaveFailureShown = TRUE;
    CString text;
    text.Format(IDS_STORE_NOT_SAVED_BOX, g_strJobsXmlPath.GetString());
    SkinMessageBox(text, MB_OK);
}

void CQordelDlg::SaveStore()
{
    HRESULT result = S_OK;
    try
    {
        m_jobList.Save();
    }
    catch (const _com_error &error)
    {
        result = error.Error();
    }
    ReportStoreSave(result, false);
}

void CQordelDlg::SaveStoreAtClose()
{
    try
    {
        // The window may go during a restore (its drive was pulled): the job is stored as it was.
        ReleaseRestoreForm();
        m_jobList.SaveIfChanged();
    }
    catch (const _com_error &error)
    {
        AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_ERROR, IDS_LOG_JOB_STORE_SAVE_FAILED, g_strJobsXmlPath.GetString(),
                       static_cast<unsigned>(error.Error()));
    }
}

LRESULT CQordelDlg::OnJobProgress(WPARAM, LPARAM)
{
    return 0;
}

LRESULT CQordelDlg::OnShowStringMessage(WPARAM wParam, LPARAM)
{
    // One box at a time: a message that comes while it is open is dropped.
    if (m_showingStringMessage)
        return 0;
    m_showingStringMessage = TRUE;
    SkinMessageBoxId(static_cast<UINT>(wParam), MB_OK);
    m_showingStringMessage = FALSE;
    return 0;
}

void CQordelDlg::WatchTwoWayDestinations(CSyncJob *job)
{
    if (job->GetJobDef()->GetSyncType() != 2)
        return;
    std::vector<CString> destinations;
    {
        XmlDomLock lock;
        XmlElementIterator sources(job->GetElement());
        while (sources.Next())
        {
            if (sources.GetName() == L"src")
                destinations.push_back(XmlGetAttributeString(sources.GetElement(), L"destination"));
        }
    }
    // The watcher may let messages through while it waits: no walk of the element spans it.
    for (const CString &destination : destinations)
    {
        if (destination.IsEmpty())
            continue;
        const CString folder = GetWatchedPath(destination);
        if (::GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES || job->CheckPathInStore(folder))
            continue;
        WatchFolderOnce(m_changeWatch.GetWatcher(), folder, m_changeWatch.GetHandler());
    }
}

void CQordelDlg::ShowErrorReport(CSyncJob *job)
{
    if (job->GetErrorList().GetCount() == 0)
        return;
    std::unique_ptr<CErrorReportDlg> &report = m_errorReports[job];
    if (!report)
        report = std::make_unique<CErrorReportDlg>(job);
    report->ShowReport(job->GetJobDef()->GetName());
}

CErrorReportDlg *CQordelDlg::GetErrorReport(CSyncJob *job) const
{
    auto found = m_errorReports.find(job);
    return found != m_errorReports.end() ? found->second.get() : nullptr;
}
