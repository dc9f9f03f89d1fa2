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
    // A cancelled job goes with its element, which never joined the store's tree.
    if (!dialogs.runWizard || dialogs.runWizard(job.get(), parent) != IDOK)
        return 0;

    CSyncJob *added = job.release();
    jobs->Add(added);
    main->JobListInsert(added);
    CJobDef *def = added->GetJobDef();
    try
    {
        def->SetState(1);
        added->UpdateSourceDestinations();
        if (def->GetFolder2Folder() != 0 && dialogs.runOverwriteChoice)
            dialogs.runOverwriteChoice(added, parent);
        BOOL checked = FALSE;
        if (dialogs.runStartBackup && dialogs.runStartBackup(checked) == IDOK)
        {
            main->RunJobNow(added, 1);
        }
        else
        {
            if (def->GetJsType() != 0)
                added->m_runState = JOB_IDLE;
            SkinMessageBoxId(IDS_FIRST_BACKUP_LATER, MB_OK);
        }
        XmlSetAttributeString(added->GetElement(), L"startbackupdlg", checked ? L"true" : L"false");
        XmlSetAttributeInt(added->GetElement(), L"state", 1);
    }
    catch (const _com_error &error)
    {
        // The job stays in the collection as far as it was set up; the save below keeps that much.
        ReportJobNotMade(error.Error());
    }
    added->m_createdTime = g_pfnClock();
    SaveJobStoreReporting(*jobs);
    added->FormatSummary(IDS_LOG_NEW_JOB);
    return 1;
}
