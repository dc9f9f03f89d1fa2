// The source page host and its basic page in a window of the test's own, over the stand-in main window: which
// sub-page a job takes, which drives the page lists and checks, what saving writes into the job in the backup and
// the restore view, and what makes the page stay (saved as source-basic.png and source-basic-restore.png in the
// build folder).
#include <gtest/gtest.h>

#include <windows.h>

#include "SourcePageTestSupport.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/sourcetree/FileTreeItems.h"
#include "setup/sourcetree/FileTreeNode.h"
#include "support/ImageSupport.h"

namespace
{

using sourcetest::SourcePageTest;

class SourcePageWindow : public SourcePageTest
{
};

struct ModeCase
{
    const wchar_t *folderToFolder;
    const wchar_t *wizardMode;
    bool advanced;
    bool switchEnabled;
};

TEST_F(SourcePageWindow, AFolderToFolderJobTakesTheTreeAndCannotSwitch)
{
    const ModeCase cases[] = {
        {L"1", L"0", true, false},
        {L"1", L"1", true, false},
        {L"0", L"1", true, true},
        {L"0", L"0", false, true},
    };
    for (const ModeCase &mode : cases)
    {
        SCOPED_TRACE(testing::Message() << "folder2folder " << CStringA(mode.folderToFolder).GetString()
                                        << ", wizard_mode " << CStringA(mode.wizardMode).GetString());
        CSyncJob *job = AddJob(L"Folders", L"Q:\\Backup\\",
                               {{L"folder2folder", mode.folderToFolder}, {L"wizard_mode", mode.wizardMode}});
        CSourcePage &page = ShowPage(job);
        ASSERT_NE(m_advanced, nullptr);
        EXPECT_EQ(page.IsAdvanced() != FALSE, mode.advanced);
        EXPECT_EQ(page.GetBasicPage().IsWindowVisible() != FALSE, !mode.advanced);
        EXPECT_EQ(m_advanced->IsWindowVisible() != FALSE, mode.advanced);
        EXPECT_EQ(m_advanced->loads, mode.advanced ? 1 : 0) << "only the page shown loads";
        EXPECT_EQ(page.GetModeSwitch().IsWindowEnabled() != FALSE, mode.switchEnabled);
        EXPECT_FALSE(page.GetModeSwitch().IsWindowVisible());
        EXPECT_EQ(FileTree::IsSingleSelection(), mode.folderToFolder[0] == L'1');
    }
}

struct DriveCase
{
    const char *what;
    std::vector<const wchar_t *> sources;
    bool systemDriveChecked;
};

TEST_F(SourcePageWindow, OnlyARemovableOrFixedDrivesRootChecksItIgnoringCase)
{
    const DriveCase cases[] = {
        {"a root written in lower case", {L"c:\\"}, true},
        {"a folder below the root", {L"C:\\Users\\"}, false},
        {"no sources", {}, false},
    };
    for (const DriveCase &drive : cases)
    {
        SCOPED_TRACE(drive.what);
        CSyncJob *job = AddBasicJob(L"Drives");
        for (const wchar_t *source : drive.sources)
            job->GetJobDef()->AddSource(source, nullptr, FALSE);
        CSourceBasicPage &basic = ShowPage(job).GetBasicPage();
        const int system = basic.FindDrive(L"C:\\");
        ASSERT_GE(system, 0) << "the system drive is listed";
        EXPECT_EQ(basic.IsDriveChecked(system) != FALSE, drive.systemDriveChecked);
        EXPECT_GE(basic.FindDrive(L"K:\\"), 0) << "a removable drive is listed";
        EXPECT_LT(basic.FindDrive(L"L:\\"), 0) << "a CD-ROM drive is not";
        for (int i = 0; i < basic.GetDriveCount(); ++i)
        {
            if (i == system)
                continue;
            EXPECT_FALSE(basic.IsDriveChecked(i)) << CStringA(basic.GetDrivePath(i)).GetString();
        }
    }
}

TEST_F(SourcePageWindow, TheBackupViewSavesTheDrivesTheFoldersWholeAndTheKinds)
{
    CSyncJob *job = AddBasicJob(L"Mine");
    job->GetJobDef()->AddSource(L"K:\\", nullptr, FALSE);
    CSourceBasicPage &basic = ShowPage(job).GetBasicPage();
    basic.SetDriveChecked(basic.FindDrive(L"K:\\"), FALSE);
    basic.SetDriveChecked(basic.FindDrive(L"C:\\"), TRUE);
    ASSERT_TRUE(m_page->SavePage());
    EXPECT_EQ(Sources(job), (std::vector<std::wstring>{L"C:\\||", m_folder / L"Docs\\||0"}));
    EXPECT_EQ(job->GetJobDef()->GetInclude(), L".x;.y;");
    EXPECT_TRUE(m_asked.empty());

    EXPECT_TRUE(m_page->SaveFilters());
    EXPECT_NE(testsupport::ReadFileBytes(m_folder / (job->GetJobDef()->GetJobUUID() + L"_1.xml").GetString()), "")
        << "the job's own filter file";
}

struct RefusalCase
{
    const char *what;
    int wizardFlag;
    bool noKinds;
    bool noDrive;
    ULONGLONG capacity;
    bool saved;
    UINT asked;
};

TEST_F(SourcePageWindow, NothingChosenOrTooMuchForTheProgramDriveKeepsThePageAndTheJob)
{
    const RefusalCase cases[] = {
        {"nothing chosen", 0, true, true, ~0ULL, false, IDS_NOTHING_TO_BACK_UP},
        // A drive is searched for the kinds of files: without one it would give nothing.
        {"a drive without a kind of file", 0, true, false, ~0ULL, false, IDS_NOTHING_TO_BACK_UP},
        {"more than the program drive holds", 0, false, false, 1, false, IDS_BACKUP_TOO_LARGE},
        {"the wizard's job, which goes elsewhere", 1, false, false, 1, true, 0},
    };
    for (const RefusalCase &refusal : cases)
    {
        SCOPED_TRACE(refusal.what);
        m_asked.clear();
        m_main->m_programDriveCapacity = refusal.capacity;
        CSyncJob *job = AddBasicJob(L"Refused");
        job->GetJobDef()->AddSource(L"C:\\", nullptr, FALSE);
        job->GetJobDef()->GetFolderSizeScanner().StartScan(std::vector<CString>{(m_folder / L"Docs").c_str()},
                                                           L".x;.y;", L"");
        ::WaitForSingleObject(job->GetJobDef()->GetFolderSizeScanner().m_hThread.Get(), 10000);
        CSourceBasicPage &basic = ShowPage(job, refusal.wizardFlag).GetBasicPage();
        ::WaitForSingleObject(basic.GetSizeScanner().m_hThread.Get(), 10000);
        basic.GetCategoryBox(0).RecountFigures();
        ASSERT_GT(basic.SumOfBoxTotals(), 0u) << "the documents box counts a.x";
        if (refusal.noKinds)
            ChooseAllSets(*m_page, false);
        basic.SetDriveChecked(basic.FindDrive(L"C:\\"), refusal.noDrive ? FALSE : TRUE);
        EXPECT_EQ(m_page->SavePage() != FALSE, refusal.saved);
        if (refusal.saved)
        {
            EXPECT_TRUE(m_asked.empty());
            continue;
        }
        ASSERT_EQ(m_asked.size(), 1u);
        if (refusal.asked == IDS_BACKUP_TOO_LARGE)
        {
            CString text;
            text.Format(IDS_BACKUP_TOO_LARGE, L"Q:\\");
            EXPECT_EQ(m_asked[0].text, text);
        }
        else
        {
            EXPECT_EQ(m_asked[0].textId, refusal.asked);
        }
        EXPECT_EQ(Sources(job), std::vector<std::wstring>{L"C:\\||"}) << "a refused page leaves the job as it was";
        EXPECT_EQ(job->GetJobDef()->GetInclude(), L"");
    }
}

TEST_F(SourcePageWindow, AStoredDriveTheListDoesNotShowStaysASource)
{
    // The shell's listing of the drives fails (as it now and then does under Wine): the list shows none.
    SeamOverride<FileTree::PFN_LIST_COMPUTER_DRIVES> noDrives(
        FileTree::g_pfnListComputerDrives, [](HWND) { return std::vector<FileTree::ComputerDrive>(); });
    CSyncJob *job = AddBasicJob(L"One click");
    job->GetJobDef()->AddSource(L"C:\\", nullptr, FALSE);
    job->GetJobDef()->AddSource(L"K:\\", nullptr, FALSE);
    CSourceBasicPage &basic = ShowPage(job).GetBasicPage();
    ASSERT_EQ(basic.GetDriveCount(), 0);
    ASSERT_TRUE(m_page->SavePage());
    EXPECT_EQ(Sources(job), (std::vector<std::wstring>{L"C:\\||", L"K:\\||", m_folder / L"Docs\\||0"}));
    EXPECT_EQ(job->GetJobDef()->GetInclude(), L".x;.y;");
    EXPECT_TRUE(m_asked.empty());
}

struct RestoreCase
{
    const char *what;
    std::vector<std::pair<const wchar_t *, const wchar_t *>> stored;
    int restoreToOtherFolder;
    std::vector<std::wstring> sources;
    const wchar_t *dest;
};

TEST_F(SourcePageWindow, TheRestoreViewTurnsTheJobInMemoryAroundAndNeverWritesTheStore)
{
    m_main->m_mode = MAIN_MODE_RESTORE_IDLE;
    const RestoreCase cases[] = {
        {"the chosen kinds come back to every place the backup searched",
         {{L"C:\\Work\\", L"Q:\\Backup\\C\\Work\\"}, {L"K:\\", L"Q:\\Backup\\K\\"}},
         0,
         {L"Q:\\Backup\\C\\Work\\|C:\\Work\\|", L"Q:\\Backup\\K\\|K:\\|"},
         L"Q:\\Backup\\"},
        {"into a folder of the user's: no place is named",
         {{L"C:\\Work\\", L"Q:\\Backup\\C\\Work\\"}},
         1,
         {L"Q:\\Backup\\C\\Work\\||"},
         L"Q:\\Backup\\"},
    };
    for (const RestoreCase &restore : cases)
    {
        SCOPED_TRACE(restore.what);
        m_main->m_restoreToOtherFolder = restore.restoreToOtherFolder;
        CSyncJob *job = AddBasicJob(L"Stored");
        for (const auto &stored : restore.stored)
            job->GetJobDef()->AddSource(stored.first, stored.second, FALSE);
        m_jobs->Save();
        const std::string store = testsupport::ReadFileBytes(StorePath());
        CSourcePage &page = ShowPage(job);
        EXPECT_TRUE(page.SavePage());
        EXPECT_EQ(Sources(job), restore.sources);
        EXPECT_EQ(job->GetJobDef()->GetDest(), restore.dest) << "the job's destination stays the backup's";
        EXPECT_EQ(job->GetJobDef()->GetInclude(), L".x;.y;");
        EXPECT_EQ(testsupport::ReadFileBytes(StorePath()), store) << "the page wrote the job store";
    }
    m_main->m_restoreToOtherFolder = 0;

    // A job without a stored place has nothing to restore: string 137.
    m_asked.clear();
    CSourcePage &empty = ShowPage(AddBasicJob(L"Empty"));
    EXPECT_FALSE(empty.SavePage());
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].textId, static_cast<UINT>(IDS_NOTHING_TO_RESTORE));

    // Nothing chosen: string 137, and the job stays as it was.
    m_asked.clear();
    CSyncJob *job = AddBasicJob(L"Nothing");
    job->GetJobDef()->AddSource(L"C:\\Work\\", L"Q:\\Backup\\C\\Work\\", FALSE);
    CSourcePage &page = ShowPage(job);
    ChooseAllSets(page, false);
    EXPECT_FALSE(page.SavePage());
    ASSERT_EQ(m_asked.size(), 1u);
    EXPECT_EQ(m_asked[0].textId, static_cast<UINT>(IDS_NOTHING_TO_RESTORE));
    EXPECT_EQ(Sources(job), std::vector<std::wstring>{L"C:\\Work\\|Q:\\Backup\\C\\Work\\|"});
}

TEST_F(SourcePageWindow, TheBackupAndTheRestoreViewAsAPersonSeesThem)
{
    CSyncJob *job = AddBasicJob(L"Seen");
    job->GetJobDef()->AddSource(L"C:\\", nullptr, FALSE);
    ShowPage(job);
    EXPECT_TRUE(testsupport::SaveWindowPng(m_host.GetSafeHwnd(), testsupport::BuildFolder() + L"source-basic.png"));

    m_main->m_mode = MAIN_MODE_RESTORE_IDLE;
    CSourcePage &restore = ShowPage(job);
    EXPECT_TRUE(
        testsupport::SaveWindowPng(m_host.GetSafeHwnd(), testsupport::BuildFolder() + L"source-basic-restore.png"));
    // The second tab leads to the advanced page and the first one back.
    const CRect second = CSourcePage::TabRect(1);
    restore.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(second.CenterPoint().x, second.CenterPoint().y));
    EXPECT_TRUE(restore.IsAdvanced());
    const CRect first = CSourcePage::TabRect(0);
    restore.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(first.CenterPoint().x, first.CenterPoint().y));
    EXPECT_FALSE(restore.IsAdvanced());
}

TEST_F(SourcePageWindow, TheRefreshReloadsBothPagesAndTheJobsDrives)
{
    CSyncJob *first = AddBasicJob(L"First");
    first->GetJobDef()->AddSource(L"C:\\", nullptr, FALSE);
    CSourcePage &page = ShowPage(first);
    CSyncJob *second = AddBasicJob(L"Second");
    second->GetJobDef()->AddSource(L"K:\\", nullptr, FALSE);
    page.SetJob(second);
    EXPECT_TRUE(page.LoadFilters());
    EXPECT_EQ(m_advancedFilterLoads, 1);
    CSourceBasicPage &basic = page.GetBasicPage();
    EXPECT_TRUE(basic.IsDriveChecked(basic.FindDrive(L"K:\\")));
    EXPECT_FALSE(basic.IsDriveChecked(basic.FindDrive(L"C:\\"))) << "the first job's drive stayed checked";
}

TEST_F(SourcePageWindow, AFilterFileThatCannotBeReadGivesWayToTheDefaultOne)
{
    CSyncJob *job = AddBasicJob(L"Broken");
    const std::wstring own = m_folder / (job->GetJobDef()->GetJobUUID() + L"_1.xml").GetString();
    ASSERT_TRUE(testsupport::WriteFileBytes(own, "<filters><filter name=\"Mail\"></filters>"));
    CSourceBasicPage &basic = ShowPage(job).GetBasicPage();
    EXPECT_EQ(basic.GetFilterFilePath(), (m_folder / L"BasicFilter.xml").c_str());
    EXPECT_EQ(basic.GetFilterRoot()->GetChildCount(), 4);
    EXPECT_EQ(basic.GetCategoryBox(0).GetFilterSet()->GetText(), L"Documents");
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(), std::wstring(enginetest::kAnyText) + L" The filter file " +
                                                            own + L" could not be read: " + enginetest::kAnyText +
                                                            L" (line " + enginetest::kAnyText + L")."),
              1);
    EXPECT_TRUE(m_asked.empty()) << "the page opens on the default choices";
}

} // namespace
