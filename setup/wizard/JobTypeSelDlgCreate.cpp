// The chooser's choices and the making of a new job.
#include "setup/wizard/JobTypeSelDlg.h"

#include <comdef.h>
#include <shlwapi.h>

#include <memory>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/UuidString.h"
#include "engine/store/XmlJobNodeRef.h"
#include "platform/system/Clock.h"
#include "setup/wizard/JobCreationDialogs.h"
#include "setup/wizard/SetupReports.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// The defaults of a new job of the type, with the pending paths as its sources (steps 2 to 8 of job creation).
void SetUpNewJob(CSyncJob &job, int type, const CStringArray &pending)
{
    CJobDef *def = job.GetJobDef();
    def->SetSyncType(type);
    CUuidString uuid;
    // Without a UUID the job gets an empty identity (its filter file then has no name of its own).
    def->SetJobUUID(uuid.Create() ? uuid.GetText() : CString());
    def->SetMaxVer(1);
    {
        XmlJobNodeRef holder(GetXmlStoreDocument(), &job);
        for (INT_PTR i = 0; i < pending.GetSize(); ++i)
            def->AddSourcePath(pending[i], nullptr);
    }
    switch (type)
    {
    case CJobTypeSelDlg::TYPE_MIRROR:
        def->SetRetainFullPath(1);
        def->SetAutoDel(1);
        break;
    case CJobTypeSelDlg::TYPE_FOLDERS:
        def->SetRetainFullPath(0);
        def->SetAutoDel(1);
        def->SetSyncType(2);
        def->SetFolder2Folder(1);
        break;
    default:
        def->SetRetainFullPath(0);
        def->SetAutoDel(1);
        break;
    }
    def->SetThreshold(90);
    def->SetSuppressErrorLogWindow(0);
    def->SetWarningThreshold(1);
    if (pending.GetSize() > 0)
        def->SetWizardMode(1);
}

void ReportJobNotMade(HRESULT hr)
{
    AppLog.LogIdAt(L"JobTypeSelDlg", __LINE__, 0, LM_ERROR, IDS_LOG_JOB_NOT_MADE, static_cast<unsigned>(hr));
    SkinMessageBoxId(IDS_JOB_NOT_MADE, MB_OK);
}

// Keeps the main window from taking input from the wizard's start until the start prompt is answered: a job deleted
// there (or a command that rebuilds the job list) would pull the new job from under the road. The dialogs of the
// road are owned by the chooser, or by the main window itself while the chooser has no window yet, and a dialog
// that ends gives its owner its input back: the hold is renewed after each. (Wine still hands a click to an enabled
// child of a disabled window, which Windows does not: there the looks after each dialog keep the road whole.)
class MainWindowHold
{
  public:
    explicit MainWindowHold(HWND window)
        : m_window(window), m_wasEnabled(window != nullptr && ::IsWindowEnabled(window) != FALSE)
    {
        Renew();
    }
    ~MainWindowHold()
    {
        Release();
    }
    MainWindowHold(const MainWindowHold &) = delete;
    MainWindowHold &operator=(const MainWindowHold &) = delete;

    void Renew()
    {
        if (m_window != nullptr && ::IsWindow(m_window))
            ::EnableWindow(m_window, FALSE);
    }
    void Release()
    {
        if (m_wasEnabled && m_window != nullptr && ::IsWindow(m_window))
            ::EnableWindow(m_window, TRUE);
        m_window = nullptr;
    }

  private:
    HWND m_window;
    bool m_wasEnabled;
};

// What the user answered after the wizard.
struct NewJobAnswers
{
    bool gone = false;                // the job left the collection meanwhile: nothing of it may be touched
    bool overwriteUnanswered = false; // the program's end broke off the overwrite choice
    bool programEnding = false;       // the program's end broke off a question
    INT_PTR start = IDCANCEL;         // the start prompt's answer
    BOOL checked = FALSE;             // its check box
};

// The overwrite choice (folder-to-folder jobs) and the start prompt, each followed by a look whether the job is
// still the collection's.
NewJobAnswers AskAfterWizard(CSyncJobList &jobs, CSyncJob &job, const JobCreationDialogs &dialogs, CWnd *parent,
                             MainWindowHold &hold)
{
    NewJobAnswers answers;
    const UINT quitsBefore = AfxGetModalQuitCount();
    if (job.GetJobDef()->GetFolder2Folder() != 0 && dialogs.runOverwriteChoice)
    {
        dialogs.runOverwriteChoice(&job, parent);
        hold.Renew();
        if (!jobs.Contains(&job))
        {
            answers.gone = true;
            return answers;
        }
        if (AfxGetModalQuitCount() != quitsBefore)
        {
            answers.overwriteUnanswered = answers.programEnding = true;
            return answers;
        }
    }
    if (dialogs.runStartBackup)
        answers.start = dialogs.runStartBackup(answers.checked);
    hold.Renew();
    answers.gone = !jobs.Contains(&job);
    answers.programEnding = AfxGetModalQuitCount() != quitsBefore;
    if (answers.programEnding)
        answers.start = IDCANCEL;
    return answers;
}

// A new job whose first backup waits: an on-change job for its first change, a scheduled one for its schedule
// (an interval job one interval from now).
void PutOffFirstBackup(CSyncJob &job)
{
    if (job.GetJobDef()->GetJsType() == 0)
        job.m_waitForFirstChange = TRUE;
    else
        job.m_runState = JOB_IDLE;
    job.m_startTime = g_pfnClock();
}

} // namespace

BOOL CJobTypeSelDlg::Choose(int type)
{
    if (type == TYPE_MIRROR)
    {
        IMainWindowServices *main = g_pMainDlg.load();
        if (main != nullptr)
        {
            CStringArray &pending = main->GetPendingSources();
            for (INT_PTR i = 0; i < pending.GetSize(); ++i)
            {
                if (!::PathIsDirectoryW(pending[i]))
                {
                    SkinMessageBoxId(IDS_SOURCES_MUST_BE_FOLDERS, MB_OK);
                    pending.RemoveAll();
                    return FALSE;
                }
            }
        }
    }
    m_type = type;
    if (m_hWnd != nullptr)
        EndDialog(0);
    CreateJob();
    return TRUE;
}

int CJobTypeSelDlg::CreateJob()
{
    IMainWindowServices *main = g_pMainDlg.load();
    CSyncJobList *jobs = main != nullptr ? main->GetJobList() : nullptr;
    if (jobs == nullptr)
    {
        ReportJobNotMade(E_POINTER);
        return 0;
    }
    std::unique_ptr<CSyncJob> job;
    try
    {
        job = std::make_unique<CSyncJob>();
        job->AttachNode();
        job->m_runState = JOB_IDLE;
        SetUpNewJob(*job, m_type, main->GetPendingSources());
    }
    catch (const _com_error &error)
    {
        ReportJobNotMade(error.Error());
        return 0;
    }

    // Before the chooser has a window its wizard takes the chooser's parent.
    CWnd *parent = m_hWnd != nullptr ? static_cast<CWnd *>(this) : m_pParentWnd;
    const JobCreationDialogs dialogs = g_jobCreationDialogs.Get();
    MainWindowHold hold(main->GetWindowHandle());
    // A cancelled job goes with its element, which never joined the store's tree.
    if (!dialogs.runWizard || dialogs.runWizard(job.get(), parent) != IDOK)
        return 0;
    hold.Renew();

    CSyncJob *added = job.release();
    // Nothing runs the job (schedule, watch, catch-up) before the user has answered what follows.
    added->m_awaitingAnswers = TRUE;
    jobs->Add(added);
    main->JobListInsert(added);
    CJobDef *def = added->GetJobDef();
    NewJobAnswers answers;
    bool tellLater = false;
    try
    {
        def->SetState(1);
        added->UpdateSourceDestinations();
        answers = AskAfterWizard(*jobs, *added, dialogs, parent, hold);
        if (answers.gone)
        {
            // Deleted meanwhile (or taken by a rebuilt job list): it no longer exists.
            AppLog.LogIdAt(L"JobTypeSelDlg", __LINE__, 0, LM_INFO, IDS_LOG_NEW_JOB_GONE);
            return 0;
        }
        hold.Release();
        added->m_awaitingAnswers = FALSE;
        if (answers.overwriteUnanswered)
        {
            // Without the user's choice the job may not touch a file: it waits, disabled, until the user enables it.
            added->Disable();
            added->GetLog().LogIdAt(L"JobTypeSelDlg", __LINE__, 0, LM_WARNING, IDS_LOG_NEW_JOB_HELD,
                                    def->GetName().GetString());
        }
        else if (answers.start == IDOK)
        {
            main->RunJobNow(added, 1);
        }
        else
        {
            PutOffFirstBackup(*added);
            tellLater = !answers.programEnding;
        }
        XmlSetAttributeString(added->GetElement(), L"startbackupdlg", answers.checked ? L"true" : L"false");
        XmlSetAttributeInt(added->GetElement(), L"state", answers.overwriteUnanswered ? 0 : 1);
    }
    catch (const _com_error &error)
    {
        ReportJobNotMade(error.Error());
        if (!jobs->Contains(added))
            return 0;
        // The job stays in the collection as far as it was set up; the save below keeps that much.
        added->m_awaitingAnswers = FALSE;
    }
    added->m_createdTime = g_pfnClock();
    // The box says the job is saved: it comes only once the store is written (a failed save has told why).
    if (SaveJobStoreReporting(*jobs) && tellLater)
        SkinMessageBoxId(IDS_FIRST_BACKUP_LATER, MB_OK);
    added->FormatSummary(IDS_LOG_NEW_JOB);
    return 1;
}
