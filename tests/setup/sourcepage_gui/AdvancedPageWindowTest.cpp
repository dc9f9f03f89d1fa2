// The advanced source page in the source page host, over the stand-in main window and a removable drive K: that
// holds the destinations: the restore view of the page's job (its stored folders and kinds, a kind filled from the
// job's journal on a click, checks kept over the show-hidden toggle, the save), the backup view of a wizard page
// (the job's sources checked, saved back, one place for a folder-to-folder job, the drives listed anew), and three
// pages whose trees keep apart (saved as source-advanced-restore.png and source-advanced-backup.png).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "SourcePageTestSupport.h"
#include "engine/job/SyncJob.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/XmlLayer.h"
#include "platform/system/Resources.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/categories/CategoryTreeWalks.h"
#include "setup/filters/FilterTree.h"
#include "setup/sourcepage/SourceAdvancedPage.h"
#include "support/ImageSupport.h"

namespace
{

using namespace FileTree;

class AdvancedPageWindow : public sourcetest::SourcePageTest
{
  protected:
    AdvancedPageWindow()
    {
        m_standInAdvancedPage = false;
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SourcePageTest::SetUp());
        for (const wchar_t *folder :
             {L"Backup", L"Backup\\Other", L"Backup Data", L"Backup Data\\Docs", L"Backup Data\\Docs\\Deep",
              L"Backup Data\\Docs\\Deep\\Deeper", L"Data", L"Files", L"Other"})
            ASSERT_TRUE(::CreateDirectoryW((m_removableFolder / folder).c_str(), nullptr));
        for (const wchar_t *file :
             {L"Backup Data\\Docs\\song.MP3", L"Backup Data\\Docs\\Deep\\Deeper\\deep.txt", L"Files\\one.txt"})
            ASSERT_TRUE(testsupport::WriteFileBytes(m_removableFolder / file, "stored"));
    }
    void TearDown() override
    {
        m_pages.clear();
        SourcePageTest::TearDown();
    }

    static CSourceAdvancedPage &Advanced(CSourcePage &page)
    {
        return *dynamic_cast<CSourceAdvancedPage *>(page.GetAdvancedPage());
    }
    static BaseNode *Node(CSourcePage &page, const wchar_t *path)
    {
        return FindNodeForPath(Advanced(page).GetCategoryTree().GetViewRoot(), path);
    }
    // A further host of its own, loaded (and refreshed as the main window refreshes its pages) and shown.
    CSourcePage &AnotherPage(CSyncJob *job, int wizardFlag)
    {
        m_pages.push_back(std::make_unique<CSourcePage>(wizardFlag));
        CSourcePage &page = *m_pages.back();
        page.SetJob(job);
        EXPECT_TRUE(page.Create(CSourcePage::IDD, &m_host));
        page.MoveWindow(CRect(0, 0, 600, 400));
        page.LoadPage();
        Pump();
        return page;
    }
    // The names of the page's filter sets, in order.
    static std::vector<CString> FilterSets(CSourcePage &page)
    {
        std::vector<CString> names;
        for (const FilterNode *set : Advanced(page).GetFilterRoot().GetChildren())
            names.push_back(set->GetText());
        return names;
    }
    // The state images of every item of the tree, in order.
    static std::vector<UINT> ItemStates(CTreeCtrl &tree)
    {
        std::vector<UINT> states;
        std::vector<HTREEITEM> items{tree.GetRootItem()};
        while (!items.empty())
        {
            HTREEITEM item = items.back();
            items.pop_back();
            for (; item != nullptr; item = tree.GetNextSiblingItem(item))
            {
                states.push_back(tree.GetItemState(item, TVIS_STATEIMAGEMASK) >> 12);
                items.push_back(tree.GetChildItem(item));
            }
        }
        return states;
    }
    // A click on the item's name, as the user makes it.
    static void ClickLabel(CTreeCtrl &tree, HTREEITEM item)
    {
        CRect label;
        ASSERT_TRUE(tree.GetItemRect(item, &label, TRUE));
        const LPARAM at = MAKELPARAM(label.CenterPoint().x, label.CenterPoint().y);
        // The control follows the button in a loop of its own until the button goes up.
        tree.PostMessage(WM_LBUTTONUP, 0, at);
        tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Pump();
    }
    // The "file" names below each "src" of the job, as "src: name, name".
    static std::vector<std::wstring> Files(CSyncJob *job)
    {
        std::vector<std::wstring> files;
        for (const IXMLDOMElementPtr &source : enginetest::ChildElements(job->GetElement(), L"src"))
        {
            std::wstring line = std::wstring(XmlGetAttributeString(source, L"path").GetString()) + L":";
            for (const IXMLDOMElementPtr &file : enginetest::ChildElements(source, L"file"))
                line += std::wstring(L" ") + XmlGetAttributeString(file, L"path").GetString();
            files.push_back(line);
        }
        return files;
    }
    // The job "Stored" going to K:\Backup Data\ (beside K:\Backup) with two stored folders, music and pictures in
    // its filter, and a journal of its copies.
    CSyncJob *AddStoredJob()
    {
        CSyncJob *job = AddJob(L"Stored", L"K:\\Backup Data\\", {{L"wizard_mode", L"1"}, {L"include", L".mp3;.jpg;"}});
        job->GetJobDef()->AddSource(L"C:\\Users\\Bob\\Docs\\", L"K:\\Backup Data\\Docs\\", FALSE);
        job->GetJobDef()->AddSource(L"C:\\Music\\", L"K:\\Backup Data\\Music\\", FALSE);
        CRestoreJournal journal(g_strDataFolder);
        EXPECT_TRUE(journal.Open(L"Stored", 1));
        EXPECT_TRUE(journal.Append(L"K:\\Backup Data\\Docs\\song.MP3", L"C:\\Users\\Bob\\Docs\\song.MP3"));
        EXPECT_TRUE(
            journal.Append(L"K:\\Backup Data\\Docs\\Deep\\Deeper\\deep.txt", L"C:\\Users\\Bob\\Docs\\deep.txt"));
        EXPECT_TRUE(journal.Close(0));
        return job;
    }

    std::vector<std::unique_ptr<CSourcePage>> m_pages;
};

TEST_F(AdvancedPageWindow, TheRestoreViewFindsAFolderWhereTheBackupKeptItsFullPath)
{
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, (m_removableFolder / L"Backup Data\\PC_C\\Letters").c_str(), nullptr),
              ERROR_SUCCESS);
    CSyncJob *job = AddJob(L"Full", L"K:\\Backup Data\\", {{L"wizard_mode", L"1"}, {L"retain_full_path", L"1"}});
    job->GetJobDef()->AddSource(L"C:\\Letters\\", L"K:\\Backup Data\\PC_C\\Letters\\", FALSE);
    m_jobs->Save();
    m_main->m_mode = MAIN_MODE_RESTORE_IDLE;
    CSourcePage &page = ShowPage(job);
    BaseNode *letters = Node(page, L"K:\\Backup Data\\PC_C\\Letters");
    ASSERT_NE(letters, nullptr) << "the folder is where the backup put it, not under its last name";
    EXPECT_EQ(letters->GetParent(), Advanced(page).GetCategoryTree().GetViewRoot());
    letters->SetState(CHECK_ON);
    ASSERT_TRUE(page.SavePage());
    EXPECT_EQ(Sources(job), std::vector<std::wstring>{L"K:\\Backup Data\\PC_C\\Letters\\|C:\\Letters\\|0"});
}

TEST_F(AdvancedPageWindow, TheRestoreViewShowsThePagesJobAndRestoresItsCheckedPlaces)
{
    AddJob(L"First", L"K:\\Backup\\", {{L"wizard_mode", L"1"}})
        ->GetJobDef()
        ->AddSource(L"C:\\Other\\", L"K:\\Backup\\Other\\", FALSE);
    CSyncJob *job = AddStoredJob();
    m_jobs->Save();
    const std::string store = testsupport::ReadFileBytes(StorePath());
    m_main->m_mode = MAIN_MODE_RESTORE_IDLE;
    CSourcePage &page = ShowPage(job);
    ASSERT_TRUE(page.IsAdvanced());
    CSourceAdvancedPage &advanced = Advanced(page);
    for (UINT hidden : {IDC_SOURCE_CUSTOM_FILTER, IDC_SOURCE_SHOW_HIDDEN})
        EXPECT_FALSE(advanced.GetDlgItem(static_cast<int>(hidden))->IsWindowVisible());

    BaseNode *root = advanced.GetCategoryTree().GetViewRoot();
    ASSERT_NE(root, nullptr);
    std::vector<CString> shown;
    for (BaseNode *child : root->GetChildren())
        shown.push_back(child->GetDisplayName());
    EXPECT_EQ(shown,
              (std::vector<CString>{L"Docs", AfxLoadText(IDS_CATEGORY_MUSIC), AfxLoadText(IDS_CATEGORY_PICTURES)}))
        << "the second job's folder (its music folder was never stored) and its kinds, not the first job's folder";

    BaseNode *music = advanced.GetCategoryTree().GetCategoryNode(CATEGORY_MUSIC);
    ASSERT_NE(music, nullptr);
    ASSERT_EQ(music->GetTreeItems().size(), 1u);
    ClickLabel(advanced.GetTree(), music->GetTreeItems()[0]);
    ASSERT_EQ(music->GetChildren().size(), 1u) << "the journal's music file, whatever its case";
    EXPECT_EQ(music->GetChildren()[0]->GetPath(), L"K:\\Backup Data\\Docs\\song.MP3");
    EXPECT_EQ(advanced.GetCategoryTree().GetCurrentNode(), music);
    EXPECT_EQ(advanced.GetList().GetItemCount(), 1);
    EXPECT_TRUE(
        testsupport::SaveWindowPng(m_host.GetSafeHwnd(), testsupport::BuildFolder() + L"source-advanced-restore.png"));

    music->SetState(CHECK_ON);
    BaseNode *deep = Node(page, L"K:\\Backup Data\\Docs\\Deep\\Deeper\\deep.txt");
    ASSERT_NE(deep, nullptr);
    deep->SetState(CHECK_ON);
    advanced.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SOURCE_SHOW_HIDDEN, BN_CLICKED),
                         reinterpret_cast<LPARAM>(advanced.GetDlgItem(IDC_SOURCE_SHOW_HIDDEN)->GetSafeHwnd()));
    EXPECT_TRUE(advanced.IsShowingHidden());
    deep = Node(page, L"K:\\Backup Data\\Docs\\Deep\\Deeper\\deep.txt");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->GetState(), CHECK_ON) << "the deep check survives the rebuild";
    EXPECT_EQ(Node(page, L"K:\\Backup Data\\Docs\\Deep")->GetState(), CHECK_PARTIAL);
    EXPECT_EQ(advanced.GetCategoryTree().GetCategoryNode(CATEGORY_MUSIC)->GetState(), CHECK_ON);

    // The checked file comes back whole; the music from every stored place, the song the view shows in Docs too.
    ASSERT_TRUE(page.SavePage());
    EXPECT_EQ(Sources(job),
              (std::vector<std::wstring>{
                  L"K:\\Backup Data\\Docs\\Deep\\Deeper\\deep.txt|C:\\Users\\Bob\\Docs\\Deep\\Deeper\\deep.txt|0",
                  L"K:\\Backup Data\\Music\\|C:\\Music\\|",
                  L"K:\\Backup Data\\Docs\\|C:\\Users\\Bob\\Docs\\|",
              }));
    EXPECT_EQ(job->GetJobDef()->GetInclude(), CategoryIncludeText(GetFileCategoryInfo(CATEGORY_MUSIC).extensions));
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath()), store) << "the page wrote the job store";
    EXPECT_TRUE(m_asked.empty());
}

TEST_F(AdvancedPageWindow, AWizardPageChecksTheJobsSourcesAndSavesThemBack)
{
    CSyncJob *job = AddJob(L"Mine", L"Q:\\Backup\\", {{L"wizard_mode", L"1"}});
    job->GetJobDef()->AddSource(L"K:\\Data\\", nullptr, TRUE);
    job->GetJobDef()->FindSource(L"K:\\Files\\", L"one.txt");
    CSourcePage &page = ShowPage(job, 1);
    ASSERT_TRUE(page.IsAdvanced());
    EXPECT_FALSE(Advanced(page).GetCategoryTree().IsRestoreView());
    EXPECT_EQ(Node(page, L"K:\\Data")->GetState(), CHECK_ON);
    EXPECT_EQ(Node(page, L"K:\\Files\\one.txt")->GetState(), CHECK_ON);
    EXPECT_EQ(Node(page, L"K:\\")->GetState(), CHECK_PARTIAL);
    EXPECT_TRUE(
        testsupport::SaveWindowPng(m_host.GetSafeHwnd(), testsupport::BuildFolder() + L"source-advanced-backup.png"));

    ASSERT_TRUE(page.SavePage());
    EXPECT_EQ(Sources(job), (std::vector<std::wstring>{L"K:\\Data\\||0", L"K:\\Files\\||0"}));
    EXPECT_EQ(Files(job), (std::vector<std::wstring>{L"K:\\Data\\:", L"K:\\Files\\: K:\\Files\\one.txt"}));

    // Nothing checked: string 137, and the job stays as it was.
    Node(page, L"K:\\")->SetState(CHECK_OFF);
    EXPECT_FALSE(page.SavePage());
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_NOTHING_TO_RESTORE});
    EXPECT_EQ(Sources(job), (std::vector<std::wstring>{L"K:\\Data\\||0", L"K:\\Files\\||0"}));
}

TEST_F(AdvancedPageWindow, AFolderToFolderJobTakesOnePlaceAndTheDrivesAreListedAnew)
{
    CSyncJob *job = AddJob(L"Mirror", L"Q:\\Backup\\", {{L"folder2folder", L"1"}});
    CSourcePage &page = ShowPage(job, 1);
    Node(page, L"K:\\Data")->SetState(CHECK_ON);
    Node(page, L"K:\\Other")->SetState(CHECK_ON);
    EXPECT_EQ(Node(page, L"K:\\Data")->GetState(), CHECK_OFF) << "the first place gave way to the second";
    ASSERT_TRUE(page.SavePage());
    EXPECT_EQ(Sources(job), std::vector<std::wstring>{L"K:\\Other\\||0"});

    testsupport::TempFolder arrivedFolder;
    enginetest::TestDrive arrived(L'N', arrivedFolder.Path(), DRIVE_REMOVABLE);
    ASSERT_EQ(arrived.Error(), L"");
    page.ReloadTree();
    BaseNode *myComputer = Advanced(page).GetCategoryTree().GetReloadRoot();
    ASSERT_NE(myComputer, nullptr);
    ASSERT_EQ(myComputer->GetTreeItems().size(), 1u);
    std::vector<CString> drives;
    for (HTREEITEM item = Advanced(page).GetTree().GetChildItem(myComputer->GetTreeItems()[0]); item != nullptr;
         item = Advanced(page).GetTree().GetNextSiblingItem(item))
        drives.push_back(Advanced(page).GetTree().GetNode(item)->GetPath());
    for (const wchar_t *drive : {L"C:\\", L"K:\\", L"N:\\"})
        EXPECT_NE(std::find(drives.begin(), drives.end(), CString(drive)), drives.end()) << CStringA(drive).GetString();
}

TEST_F(AdvancedPageWindow, ThreePagesTreesKeepApartAlsoWhenOneIsGone)
{
    CSyncJob *backupJob = AddJob(L"Backup", L"Q:\\Backup\\", {{L"wizard_mode", L"1"}});
    backupJob->GetJobDef()->AddSource(L"K:\\Data\\", nullptr, TRUE);
    CSyncJob *storedJob = AddStoredJob();
    CSyncJob *wizardJob = AddJob(L"Wizard", L"Q:\\Mirror\\", {{L"folder2folder", L"1"}});
    m_main->m_mode = MAIN_MODE_BACKUP_IDLE;
    CSourcePage &backup = AnotherPage(backupJob, 0);
    m_main->m_mode = MAIN_MODE_RESTORE_IDLE;
    CSourcePage &restore = AnotherPage(storedJob, 0);
    m_main->m_mode = MAIN_MODE_BACKUP_IDLE;
    CSourcePage &wizard = AnotherPage(wizardJob, 1);
    ASSERT_TRUE(Advanced(restore).GetCategoryTree().IsRestoreView());

    const std::vector<UINT> restoreBefore = ItemStates(Advanced(restore).GetTree());
    const std::vector<UINT> wizardBefore = ItemStates(Advanced(wizard).GetTree());
    BaseNode *other = Node(backup, L"K:\\Other");
    other->SetState(CHECK_ON);
    ASSERT_EQ(other->GetTreeItems().size(), 1u) << "the way to the job's source is open";
    EXPECT_EQ(Advanced(backup).GetTree().GetItemState(other->GetTreeItems()[0], TVIS_STATEIMAGEMASK) >> 12,
              static_cast<UINT>(CHECK_ON));
    EXPECT_EQ(ItemStates(Advanced(restore).GetTree()), restoreBefore);
    EXPECT_EQ(ItemStates(Advanced(wizard).GetTree()), wizardBefore);

    // The wizard's job copies one place (the model's single selection is on): its check clears nothing elsewhere.
    Node(wizard, L"K:\\Data")->SetState(CHECK_ON);
    EXPECT_EQ(other->GetState(), CHECK_ON);
    EXPECT_EQ(Node(backup, L"K:\\Data")->GetState(), CHECK_ON);

    m_pages.pop_back();
    const std::vector<UINT> backupBefore = ItemStates(Advanced(backup).GetTree());
    BaseNode *docs = Node(restore, L"K:\\Backup Data\\Docs");
    docs->SetState(CHECK_ON);
    ASSERT_EQ(docs->GetTreeItems().size(), 1u);
    EXPECT_EQ(Advanced(restore).GetTree().GetItemState(docs->GetTreeItems()[0], TVIS_STATEIMAGEMASK) >> 12,
              static_cast<UINT>(CHECK_ON));
    EXPECT_EQ(ItemStates(Advanced(backup).GetTree()), backupBefore);
    other->SetState(CHECK_OFF);
    EXPECT_EQ(Advanced(backup).GetTree().GetItemState(other->GetTreeItems()[0], TVIS_STATEIMAGEMASK) >> 12,
              static_cast<UINT>(CHECK_OFF));
}

TEST_F(AdvancedPageWindow, TheFilterSetsComeFromTheJobsFileElseTheDefaultAndTheResetFromTheAdvancedSet)
{
    // The program folder is the build's, put back whatever the test's end.
    struct AppFolder
    {
        CString saved = g_strAppFolder;
        ~AppFolder()
        {
            g_strAppFolder = saved;
        }
    } appFolder;
    g_strAppFolder = testsupport::ProgramFolder().c_str();
    CSyncJob *job = AddJob(L"Mine", L"Q:\\Backup\\", {{L"wizard_mode", L"1"}});
    const CString own = JobFilterFilePath(job->GetJobDef()->GetJobUUID());
    // A job's own file that cannot be read gives way to the default sets.
    ASSERT_TRUE(testsupport::WriteFileBytes(own.GetString(), "<filters><filter name="));
    CSourcePage &page = ShowPage(job, 1);
    const std::vector<CString> basic = {L"Documents", L"Pictures", L"Music", L"Mail"};
    EXPECT_EQ(FilterSets(page), basic);

    Advanced(page).ReloadAdvanceFilter();
    const std::vector<CString> advanced = {L"Documents", L"Pictures", L"Music", L"Video"};
    EXPECT_EQ(FilterSets(page), advanced) << "the advanced set beside the programs";
    ASSERT_TRUE(Advanced(page).SaveFilterFile());
    ASSERT_TRUE(Advanced(page).LoadFilters());
    EXPECT_EQ(FilterSets(page), advanced) << "read back from the job's own file";
}

} // namespace
