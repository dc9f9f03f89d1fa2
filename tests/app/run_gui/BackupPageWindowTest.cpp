// The main window's backup page in the test's own process, with scripted runs over the program drive F: (also the
// system drive): a card shows the one-click job on the page and holds it there, a page with nothing chosen starts
// nothing, a run's end keeps the choices the run was made with, and a one-shot backup that the page refuses
// leaves the window to the user (the page is saved as main-backup-page.png in the build folder).
#include <gtest/gtest.h>

#include <windows.h>

#include "app/support/RunRoadTestSupport.h"
#include "engine/program/ProgramObjects.h"
#include "setup/sourcepage/SourcePage.h"
#include "support/ImageSupport.h"

namespace
{

const char kUserJob[] = "<jobdef name=\"My Documents\" state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"100000\" "
                        "dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";
const UINT kTrayCommand = 2181;
const wchar_t kDataFolder[] = L"Backup Data\\Tester\\Velbrook Data Backup\\";
const wchar_t kSecondSet[] = L"Pictures, Music and Video";

class BackupPageWindow : public runtest::RunRoadTest
{
  protected:
    CSourcePage &Page() const
    {
        return m_dialog->GetSourcePage(0);
    }
    CSyncJob *Selected() const
    {
        CJobDef *def = m_dialog->GetJobListView()->GetSelectedJob();
        return def != nullptr ? def->GetOwner() : nullptr;
    }
    bool IsSystemDriveChecked() const
    {
        CSourceBasicPage &basic = Page().GetBasicPage();
        const int drive = basic.FindDrive(L"F:\\");
        return drive >= 0 && basic.IsDriveChecked(drive);
    }
    FilterNode *Set(const wchar_t *name) const
    {
        return Page().GetBasicPage().GetFilterRoot()->FindChild(name);
    }
    bool RunEnded() const
    {
        return m_dialog->GetRunningJobCount() == 0 && m_dialog->viewState == VIEW_BACKUP_PAGE;
    }
    std::string JobFilterFile(CSyncJob *job) const
    {
        return testsupport::ReadFileBytes(
            Local(std::wstring(kDataFolder) + (job->GetJobDef()->GetJobUUID() + L"_1.xml").GetString()));
    }
};

TEST_F(BackupPageWindow, ACardShowsTheOneClickJobOnThePageAndHoldsItThere)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    m_dialog->ShowWindow(SW_SHOW);
    Command(ID_JOBLIST_ITEM);
    ASSERT_NE(Page().GetSafeHwnd(), nullptr) << "the page's window";
    EXPECT_TRUE(Page().IsWindowVisible());
    EXPECT_FALSE(m_dialog->GetJobListView()->IsWindowVisible());
    CSyncJob *first = Selected();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Page().GetJob(), first);
    EXPECT_EQ(first->m_runState, JOB_DISABLED) << "held while the page shows it";
    EXPECT_TRUE(IsSystemDriveChecked());
    EXPECT_TRUE(testsupport::SaveWindowPng(m_dialog->GetSafeHwnd(), facetest::PicturePath(L"main-backup-page.png")));

    // A choice the user leaves unsaved goes with the page's job.
    CSourceBasicPage &basic = Page().GetBasicPage();
    basic.SetDriveChecked(basic.FindDrive(L"F:\\"), FALSE);
    Command(IDC_BACK);
    EXPECT_EQ(m_dialog->viewState, VIEW_JOB_LIST);
    EXPECT_FALSE(Page().IsWindowVisible());
    EXPECT_EQ(first->m_runState, JOB_IDLE) << "the job list gives the job back";

    Command(ID_JOBLIST_ITEM);
    CSyncJob *second = Selected();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(Page().GetJob(), second);
    EXPECT_EQ(second->m_runState, JOB_DISABLED);
    EXPECT_TRUE(Page().IsWindowVisible());
    EXPECT_TRUE(IsSystemDriveChecked()) << "the page shows the new job's drives";
}

TEST_F(BackupPageWindow, NothingChosenStartsNothingAndKeepsTheJobOnThePage)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    Command(ID_JOBLIST_ITEM);
    CSyncJob *job = Selected();
    ASSERT_NE(job, nullptr);
    CSourceBasicPage &basic = Page().GetBasicPage();
    basic.SetDriveChecked(basic.FindDrive(L"F:\\"), FALSE);
    for (FilterNode *set : basic.GetFilterRoot()->GetChildren())
        set->SetSelected(0);
    Command(IDC_RUN_JOBS);
    PumpFor([] { return false; }, 300);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_NOTHING_TO_BACK_UP});
    EXPECT_EQ(m_dialog->viewState, VIEW_BACKUP_PAGE);
    EXPECT_TRUE(m_runs->Started().empty());
    EXPECT_EQ(job->m_runState, JOB_DISABLED) << "still held on its page";
}

TEST_F(BackupPageWindow, ARunsEndKeepsTheChoicesItRanWithThroughAShowRequest)
{
    m_runs->SetStepTime(200);
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    Command(ID_JOBLIST_ITEM);
    CSyncJob *job = Selected();
    ASSERT_NE(job, nullptr);
    ASSERT_NE(Set(kSecondSet), nullptr);
    Set(kSecondSet)->SetSelected(0);
    Command(IDC_RUN_JOBS);
    ASSERT_EQ(m_dialog->viewState, VIEW_BACKUP_RUNNING);
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000));
    // The tray program's show command while the backup runs: the page must not take its file back meanwhile.
    ::SendMessageW(m_dialog->GetSafeHwnd(), kTrayCommand, 32845, 0);
    ASSERT_TRUE(PumpFor([this] { return RunEnded(); }, 20000)) << "the backup did not end";

    const std::string saved = JobFilterFile(job);
    ASSERT_NE(saved, "") << "no filter file of the job's own";
    const std::string second = "name=\"" + std::string(CStringA(kSecondSet).GetString()) + "\" selected=\"";
    ASSERT_NE(saved.find(second), std::string::npos);
    EXPECT_EQ(saved.substr(saved.find(second) + second.size(), 1), "0") << "the set the run left out";
    EXPECT_NE(saved.find("name=\"Documents\" selected=\"-1\""), std::string::npos);
}

TEST_F(BackupPageWindow, AOneShotBackupThePageRefusesLeavesTheWindowToTheUser)
{
    // The one-click job before: its own filter file chooses nothing, and the system drive is not one of this
    // computer's drives.
    ASSERT_TRUE(testsupport::WriteFileBytes(Local(std::wstring(kDataFolder) + L"{refused}_1.xml"),
                                            "<?xml version='1.0' encoding='utf-8'?>\n<filters>"
                                            "<filter name=\"Documents\" selected=\"0\"/></filters>"));
    ASSERT_NO_FATAL_FAILURE(
        MakeDialog("<jobdef name=\"Tester\" JobUUID=\"{refused}\" state=\"1\" sync_type=\"1\" "
                   "dest=\"F:\\Backup Data\\Tester\\\"><src path=\"F:\\\" hassrc=\"1\"/></jobdef>"));
    g_strSystemDrive = L"Y:\\";
    m_dialog->ShowWindow(SW_HIDE);
    m_dialog->RunBackupFromCommandLine();
    PumpRecordingQuit();
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_NOTHING_TO_BACK_UP});
    EXPECT_TRUE(m_runs->Started().empty());
    EXPECT_EQ(m_dialog->viewState, VIEW_BACKUP_PAGE);
    EXPECT_TRUE(m_dialog->IsWindowVisible()) << "a hidden program with nothing running would never end";
    EXPECT_TRUE(m_dialog->HasUserOpenedWindow());
    EXPECT_FALSE(m_quitSeen);
}

} // namespace
