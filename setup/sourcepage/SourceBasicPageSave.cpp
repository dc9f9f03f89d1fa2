// Saving the basic source page into its job. Everything the page refuses is refused before the job is touched: a
// page that stays leaves the job as it was.
#include "setup/sourcepage/SourceBasicPage.h"

#include <map>
#include <vector>

#include "engine/job/MainWindowServices.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SourceList.h"
#include "engine/store/XmlLayer.h"
#include "setup/filters/FilterTree.h"
#include "setup/sourcepage/SourcePageView.h"
#include "ui/boxes/MessageBoxDlg.h"

namespace
{

// One "src" the restore view writes.
struct RestoreSource
{
    bool asSourcePath; // through AddSourcePath (a file or a folder), else AddSource
    CString path;
    CString destination; // empty: none
};

} // namespace

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
    const std::map<CString, CString> stored = ReadStoredSources(m_pJob->GetElement());
    CStringArray folders;
    CString extensions;
    CollectTreeSelection(m_filterRoot.get(), folders, extensions);

    // The entries: the first stored place (which the chosen kinds of files come back to), then the chosen folders.
    std::vector<CString> entries;
    const bool withFirstPlace = !stored.empty() && !extensions.IsEmpty();
    if (withFirstPlace)
        entries.push_back(stored.begin()->first);
    for (INT_PTR i = 0; i < folders.GetSize(); ++i)
        entries.push_back(folders[i]);

    IMainWindowServices *main = g_pMainDlg.load();
    const bool noDestination = main != nullptr && main->GetRestoreToOtherFolder() != 0;
    std::vector<RestoreSource> sources;
    CString newDest;
    for (size_t i = 0; i < entries.size(); ++i)
    {
        auto found = stored.find(entries[i]);
        if (found == stored.end())
            continue;
        // A restore reads back from where the backup put the place: path and destination change sides.
        if (i == 0 && withFirstPlace)
        {
            if (found->second.Find(L'\\') >= 0)
                sources.push_back({true, found->second, CString()});
            if (!noDestination)
                newDest = entries[i];
        }
        else
        {
            sources.push_back({false, found->second, noDestination ? CString() : entries[i]});
        }
    }
    if (sources.empty() && extensions.IsEmpty())
    {
        SkinMessageBoxId(IDS_NOTHING_TO_RESTORE, MB_OK);
        return FALSE;
    }

    // The job in memory takes the restore's form for the restore run; nothing here writes the job store.
    CJobDef *def = m_pJob->GetJobDef();
    XmlRemoveSrcList(m_pJob->GetElement());
    for (const RestoreSource &source : sources)
    {
        if (source.asSourcePath)
            def->AddSourcePath(source.path, nullptr);
        else
            def->AddSource(source.path, source.destination.IsEmpty() ? nullptr : source.destination.GetString(), FALSE);
    }
    if (!newDest.IsEmpty())
        def->SetDest(newDest);
    def->SetInclude(extensions);
    def->GetFolderSizeScanner().SetTotalAndFilters(SumOfBoxTotals(), extensions, def->GetExclude());
    return TRUE;
}
