// Saving the basic source page into its job. Everything the page refuses is refused before the job is touched: a
// page that stays leaves the job as it was.
#include "setup/sourcepage/SourceBasicPage.h"

#include <vector>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"
#include "setup/filters/FilterTree.h"
#include "setup/sourcepage/RestoreSave.h"
#include "setup/sourcepage/SourcePageView.h"
#include "ui/boxes/MessageBoxDlg.h"

BOOL CSourceBasicPage::SavePage()
{
    if (m_pJob == nullptr || !m_filterRoot)
        return FALSE;
    try
    {
        return IsRestoreView() ? SaveRestoreView() : SaveBackupView();
    }
    catch (const _com_error &error)
    {
        AppLog.LogAt(L"SourceBasicPage", __LINE__, static_cast<DWORD>(error.Error()), LM_ERROR, L"%D %m\n");
        return FALSE;
    }
}

BOOL CSourceBasicPage::SaveBackupView()
{
    CStringArray drives;
    for (int i = 0; i < GetDriveCount(); ++i)
    {
        if (IsDriveChecked(i))
            drives.Add(WithOneTrailingBackslash(m_drivePaths[i]));
    }
    // A drive the list does not show (its listing failed, or the drive is not there now) was never unchecked by the
    // user: it stays a source as it was stored.
    CStringArray stored;
    XmlReadSrcList(m_pJob->GetElement(), stored);
    for (INT_PTR s = 0; s < stored.GetSize(); ++s)
    {
        if (stored[s].GetLength() == 3 && FindDrive(stored[s]) < 0)
            drives.Add(stored[s]);
    }
    CStringArray folders;
    CString extensions;
    CollectTreeSelection(m_filterRoot.get(), folders, extensions);
    // A drive is searched for the chosen kinds of files: without a kind and without a folder nothing would be backed
    // up, checked drive or not.
    if (folders.GetSize() == 0 && extensions.IsEmpty())
    {
        SkinMessageBoxId(IDS_NOTHING_TO_BACK_UP, MB_OK);
        return FALSE;
    }
    const ULONGLONG total = SumOfBoxTotals();
    IMainWindowServices *main = g_pMainDlg.load();
    // The wizard's job may go anywhere; the main window's backup goes to the program's drive.
    if (m_wizardFlag == 0 && main != nullptr && total > main->GetProgramDriveCapacity())
    {
        CString text;
        text.Format(IDS_BACKUP_TOO_LARGE, g_strProgramDrive.GetString());
        SkinMessageBox(text, MB_OK);
        return FALSE;
    }

    CJobDef *def = m_pJob->GetJobDef();
    XmlRemoveSrcList(m_pJob->GetElement());
    for (INT_PTR i = 0; i < drives.GetSize(); ++i)
        def->AddSource(drives[i], nullptr, FALSE);
    // A chosen folder is taken whole, as the one-click job takes it.
    for (INT_PTR i = 0; i < folders.GetSize(); ++i)
        def->AddSource(WithOneTrailingBackslash(folders[i]), nullptr, TRUE);
    def->SetInclude(extensions);
    for (CFilterPage &box : m_boxes)
    {
        if (box.GetSafeHwnd() != nullptr)
            box.KillTimer(CFilterPage::kRefreshTimer);
    }
    def->GetFolderSizeScanner().SetTotalAndFilters(total, extensions, def->GetExclude());
    return TRUE;
}

BOOL CSourceBasicPage::SaveRestoreView()
{
    CStringArray chosen;
    CString extensions;
    CollectTreeSelection(m_filterRoot.get(), chosen, extensions);
    std::vector<CString> folders;
    for (INT_PTR i = 0; i < chosen.GetSize(); ++i)
        folders.push_back(chosen[i]);
    IMainWindowServices *main = g_pMainDlg.load();
    const bool toOtherFolder = main != nullptr && main->GetRestoreToOtherFolder() != 0;
    const SourceSavePlan plan = PlanBasicRestoreSave(folders, extensions, ReadStoredSources(m_pJob->GetElement()),
                                                     ReadBackupLayout(*m_pJob), toOtherFolder);
    for (const CString &place : plan.leftOut)
        AppLog.LogIdAt(L"SourceBasicPage", __LINE__, 0, LM_ERROR, IDS_LOG_RESTORE_PLACE_LEFT_OUT, place.GetString());
    if (plan.writes.empty())
    {
        SkinMessageBoxId(IDS_NOTHING_TO_RESTORE, MB_OK);
        return FALSE;
    }

    // The job in memory takes the restore's form for the restore run; nothing here writes the job store, and its
    // "dest" stays the backup's: every source says where its files go back to.
    CJobDef *def = m_pJob->GetJobDef();
    XmlRemoveSrcList(m_pJob->GetElement());
    ApplySourceWrites(*def, plan.writes);
    def->SetInclude(plan.include);
    // The boxes' figures are the page's; the restore run leaves the page, and their recount must not hold up
    // the window while it runs.
    for (CFilterPage &box : m_boxes)
    {
        if (box.GetSafeHwnd() != nullptr)
            box.KillTimer(CFilterPage::kRefreshTimer);
    }
    def->GetFolderSizeScanner().SetTotalAndFilters(SumOfBoxTotals(), plan.include, def->GetExclude());
    return TRUE;
}
