#include "app/run/DefaultJob.h"

#include <shlobj.h>

#include "app/run/RunRoadRules.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/UuidString.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/filters/DefaultFilterBuilder.h"
#include "setup/filters/FilterTree.h"

namespace
{

void SetDefaultSettings(CJobDef &def, const CString &jobUuid)
{
    def.SetName(g_strComputerName);
    def.SetSyncType(1);
    CString uuid = jobUuid;
    if (uuid.IsEmpty())
    {
        CUuidString fresh;
        fresh.Create();
        uuid = fresh.GetText();
    }
    def.SetJobUUID(uuid);
    def.SetMaxVer(0);
    def.SetRetainFullPath(0);
    def.SetAutoDel(1);
    def.SetThreshold(90);
    def.SetSuppressErrorLogWindow(0);
    def.SetWarningThreshold(1);
    def.SetWizardMode(0);
}

// The sources and the include list the default filter set chooses; FALSE when it cannot be read or chooses
// nothing.
BOOL SetDefaultSources(CSyncJob &job)
{
    EnsureDefaultFilterFile();
    // The default set of the data folder is refreshed with this computer's mail programs and browser folders.
    CDefaultFilterBuilder::Build(DefaultFilterFilePath(), g_strAppFolder + kBasicFilterFileName);
    FilterNode root(FilterNode::KIND_ROOT, nullptr, nullptr);
    FiltersMedia media;
    if (!LoadFilterTree(&root, media, DefaultFilterFilePath()))
        return FALSE;
    CStringArray folders;
    CString extensions;
    CollectTreeSelection(&root, folders, extensions);
    if (folders.GetSize() == 0 && extensions.IsEmpty())
        return FALSE;
    CJobDef *def = job.GetJobDef();
    XmlRemoveSrcList(job.GetElement());
    // The system drive is searched for the chosen file types; the chosen folders are taken whole.
    def->AddSource(g_strSystemDrive, nullptr, FALSE);
    for (INT_PTR i = 0; i < folders.GetSize(); ++i)
        def->AddSource(folders[i], nullptr, TRUE);
    def->SetInclude(extensions);
    return TRUE;
}

} // namespace

std::unique_ptr<CSyncJob> BuildDefaultJob(const CString &jobUuid)
{
    auto job = std::make_unique<CSyncJob>();
    job->AttachNode();
    CJobDef *def = job->GetJobDef();
    SetDefaultSettings(*def, jobUuid);
    job->m_runState = JOB_IDLE;
    if (!SetDefaultSources(*job))
    {
        AppLog.LogIdAt(L"QordelDlg", __LINE__, 0, LM_ERROR, IDS_LOG_DEFAULT_FILTER_UNUSABLE,
                       DefaultFilterFilePath().GetString());
        return nullptr;
    }

    const CString dest = DefaultJobDestination(g_strProgramDrive, g_strComputerName);
    def->SetDest(dest);
    def->SetDestAgent(0);
    def->SetDestNet(0);
    def->SetJsType(0);
    def->SetShowProg(1);

    CStringArray sources;
    XmlReadSrcList(job->GetElement(), sources);
    def->GetFolderSizeScanner().StartScan(sources, def->GetInclude(), def->GetExclude());
    ::SHCreateDirectoryExW(nullptr, dest, nullptr);

    job->GetLog().Open(job->GetLogFilePath());
    job->m_defaultJob = TRUE;
    def->SetState(1);
    job->UpdateSourceDestinations();
    return job;
}
