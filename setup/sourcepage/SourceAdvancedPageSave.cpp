// Loading the advanced source page from its job and saving it back. Everything the page refuses is refused before
// the job is touched: a page that stays leaves the job as it was.
#include "setup/sourcepage/SourceAdvancedPage.h"

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "setup/sourcepage/AdvancedSourceSave.h"
#include "setup/sourcepage/RestoreSave.h"
#include "setup/sourcepage/SourcePageView.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

std::vector<CString> SourcesOf(CSyncJob &job)
{
    CStringArray list;
    XmlReadSrcList(job.GetElement(), list);
    std::vector<CString> sources;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        sources.push_back(list[i]);
    return sources;
}

} // namespace

BOOL CSourceAdvancedPage::LoadPage()
{
    if (m_pJob == nullptr)
        return TRUE;
    m_include = m_pJob->GetJobDef()->GetInclude();
    m_exclude = m_pJob->GetJobDef()->GetExclude();
    if (IsRestoreView())
        return TRUE;
    try
    {
        m_categoryTree.RestoreChecks(SourcesOf(*m_pJob));
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"SourceAdvancedPage", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
    }
    return TRUE;
}

BOOL CSourceAdvancedPage::SavePage()
{
    if (m_pJob == nullptr)
        return FALSE;
    std::vector<CString> places;
    m_categoryTree.CollectChecked(places);
    // A job that copies folder to folder copies one place.
    if (m_pJob->GetJobDef()->GetFolder2Folder() > 0 && places.size() > 1)
        places.resize(1);
    try
    {
        const BOOL saved = places.empty() ? FALSE : IsRestoreView() ? SaveRestoreView(places) : SaveBackupView(places);
        if (!saved)
            SkinMessageBoxId(IDS_NOTHING_TO_RESTORE, MB_OK);
        return saved;
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"SourceAdvancedPage", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return FALSE;
    }
}

BOOL CSourceAdvancedPage::SaveRestoreView(const std::vector<CString> &places)
{
    CJobDef *def = m_pJob->GetJobDef();
    IMainWindowServices *main = g_pMainDlg.load();
    const bool toOtherFolder = main != nullptr && main->GetRestoreToOtherFolder() != 0;
    const SourceSavePlan plan =
        PlanRestoreSave(places, ReadStoredSources(m_pJob->GetElement()), ReadBackupLayout(*m_pJob), toOtherFolder);
    for (const CString &place : plan.leftOut)
        AppLog.LogIdAt(L"SourceAdvancedPage", __LINE__, 0, LM_ERROR, IDS_LOG_RESTORE_PLACE_LEFT_OUT, place.GetString());
    if (plan.writes.empty())
        return FALSE;
    // The job in memory takes the restore's form for the restore run; nothing here writes the job store.
    XmlRemoveSrcList(m_pJob->GetElement());
    ApplySourceWrites(*def, plan.writes);
    FinishSave(plan.include, CString());
    return TRUE;
}

BOOL CSourceAdvancedPage::SaveBackupView(const std::vector<CString> &places)
{
    // Without a filter the places are taken whole; with one their files are chosen by it (an empty include set
    // would take nothing of a place the run filters).
    const BOOL whole = m_include.IsEmpty() && m_exclude.IsEmpty() ? TRUE : FALSE;
    const SourceSavePlan plan = PlanBackupSave(places, whole);
    if (plan.writes.empty())
        return FALSE;
    XmlRemoveSrcList(m_pJob->GetElement());
    ApplySourceWrites(*m_pJob->GetJobDef(), plan.writes);
    FinishSave(m_include, m_exclude);
    return TRUE;
}

void CSourceAdvancedPage::FinishSave(const CString &include, const CString &exclude)
{
    CJobDef *def = m_pJob->GetJobDef();
    def->SetSourceAgent(0);
    def->SetSourceNet(def->HasNetworkSource() ? 1 : 0);
    def->SetInclude(include);
    def->SetExclude(exclude);
    std::vector<CString> folders = SourcesOf(*m_pJob);
    // The scanner filters its first entry only: with no include set every source counts whole.
    if (include.IsEmpty())
        folders.insert(folders.begin(), CString());
    CFolderSizeScanner &scanner = def->GetFolderSizeScanner();
    scanner.StartScan(folders, include, exclude);
    scanner.StopScan();
}
