// The main window's job commands in the test's own process, the job type chooser and the menu tracking through
// their seam: the right-button job menu, a new job cancelled or accepted (and a "--create" request meanwhile),
// the empty view's add-job button, a job handed over twice, and a deletion answered No and Yes.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/support/RunRoadTestSupport.h"
#include "app/window/JobCommandWindows.h"
#include "outside/Phrasel/JobCommandsIds.h"
#include "outside/Phrasel/WizardIds.h"
#include "setup/wizard/JobCreationDialogs.h"
#include "setup/wizard/JobTypeSelDlg.h"

namespace
{

const wchar_t kDataFolder[] = L"Backup Data\\Tester\\Velbrook Data Backup\\";
const char kUserJob[] = "<jobdef name=\"My Documents\" JobUUID=\"{docs}\" state=\"1\" sync_type=\"1\" js_type=\"1\" "
                        "js_mins=\"100000\" dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";
// Due at once, once something arms the schedule: no start arms it by itself.
const char kDueJob[] = "<jobdef name=\"Hourly\" state=\"1\" sync_type=\"1\" js_type=\"1\" js_mins=\"60\" "
                       "neverrun=\"2024-01-01 10:00:00\" dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" "
                       "hassrc=\"1\"/></jobdef>";

class JobCommandsWindow : public runtest::RunRoadTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RunRoadTest::SetUp());
        JobCommandWindows windows = g_jobCommandWindows.Get();
        windows.runJobTypeChooser = [this](CWnd *parent) {
            ++m_choosers;
            return m_chooser ? m_chooser(parent) : IDCANCEL;
        };
        windows.trackMenu = [this](HMENU menu, UINT, int, int, HWND owner) {
            // The menu's enabling as tracking asks for it, popup by popup.
            m_menu.clear();
            for (int index = 0; index < ::GetMenuItemCount(menu); ++index)
            {
                HMENU popup = ::GetSubMenu(menu, index);
                ::SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(index, FALSE));
                for (int item = 0; item < ::GetMenuItemCount(popup); ++item)
                {
                    const UINT id = ::GetMenuItemID(popup, item);
                    m_menu.push_back({id, (::GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED) != 0});
                }
            }
            return TRUE;
        };
        m_windows = std::make_unique<SeamOverride<JobCommandWindows>>(g_jobCommandWindows, windows);
    }
    void TearDown() override
    {
        RunRoadTest::TearDown();
        m_windows.reset();
    }

    std::wstring StorePath() const
    {
        return Local(std::wstring(kDataFolder) + L"Zel.xml");
    }
    std::wstring DataFile(const std::wstring &name) const
    {
        return Local(std::wstring(kDataFolder) + name);
    }
    static int Count(const std::string &text, const std::string &part)
    {
        int count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
    void RightClick(CPoint point)
    {
        ::SendMessageW(m_dialog->GetJobListView()->GetSafeHwnd(), WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }
    // Grayed, or -1 when the menu lacked the item.
    int Grayed(UINT id) const
    {
        for (const auto &item : m_menu)
        {
            if (item.first == id)
                return item.second ? 1 : 0;
        }
        return -1;
    }

    std::function<INT_PTR(CWnd *)> m_chooser;
    int m_choosers = 0;
    std::vector<std::pair<UINT, bool>> m_menu;

  private:
    std::unique_ptr<SeamOverride<JobCommandWindows>> m_windows;
};

TEST_F(JobCommandsWindow, TheRightButtonMenuActsOnTheCardUnderThePointer)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    m_dialog->ShowWindow(SW_SHOW);
    CJobListView *view = m_dialog->GetJobListView();
    ASSERT_EQ(view->GetItemCount(), 1);
    CRect client;
    view->GetClientRect(&client);
    ASSERT_GT(client.bottom, view->GetTotalHeight() + 10) << "no empty space below the card";

    RightClick(CPoint(client.CenterPoint().x, view->GetTotalHeight() + 5));
    EXPECT_EQ(view->GetSelectedItem(), nullptr) << "empty space selects no card";
    EXPECT_EQ(Grayed(ID_JOB_ADD), 0) << "a new job needs no card";
    EXPECT_EQ(Grayed(ID_JOB_DELETE), 1);
    EXPECT_EQ(Grayed(ID_JOB_RESTORE), 1);

    RightClick(view->GetItem(0)->m_rect.CenterPoint());
    EXPECT_EQ(view->GetSelectedItem(), view->GetItem(0));
    EXPECT_EQ(Grayed(ID_JOB_ADD), 0);
    EXPECT_EQ(Grayed(ID_JOB_DELETE), 0);
    EXPECT_EQ(Grayed(ID_JOB_RESTORE), 0);
    ASSERT_FALSE(m_menu.empty());
    // The job popup (the menu's second) starts with the new job.
    const auto add = std::find(m_menu.begin(), m_menu.end(), std::make_pair(UINT(ID_JOB_ADD), false));
    ASSERT_NE(add, m_menu.end());
    EXPECT_EQ((add + 1)->first, static_cast<UINT>(ID_JOBLIST_ITEM));
}

TEST_F(JobCommandsWindow, ACancelledNewJobSavesArmsTheScheduleAndRefusesACreateMeanwhile)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kDueJob));
    m_chooser = [this](CWnd *) {
        // A later start's request while the chooser is open.
        const std::wstring line = L"E:\\Tarnvel.exe --create " + OnDrive(L"Docs\\;");
        COPYDATASTRUCT data = {0, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                               const_cast<wchar_t *>(line.c_str())};
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        return IDCANCEL;
    };
    ASSERT_TRUE(::DeleteFileW(StorePath().c_str()));
    Command(ID_JOB_ADD);
    EXPECT_EQ(m_choosers, 1) << "the request opened a second chooser";
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_JOB_SETUP_OPEN});
    EXPECT_EQ(Count(StoreText(), "<jobdef"), 1) << "the store was not saved";
    EXPECT_TRUE(m_dialog->GetPendingSources().IsEmpty());
    ASSERT_TRUE(PumpFor([this] { return m_runs->Started().size() == 1; }, 10000)) << "the schedule was not armed";

    // Once the chooser is closed a request opens it.
    m_boxes.clear();
    m_chooser = nullptr;
    const std::wstring line = L"E:\\Tarnvel.exe -c " + OnDrive(L"Docs\\;");
    COPYDATASTRUCT data = {0, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t *>(line.c_str())};
    ::SendMessageW(m_dialog->GetSafeHwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(m_choosers, 2);
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(JobCommandsWindow, AnAcceptedJobGetsOneCardAndOneEntry)
{
    JobCreationDialogs creation = g_jobCreationDialogs.Get();
    creation.runWizard = [](CSyncJob *, CWnd *) { return IDOK; };
    creation.runStartBackup = [](BOOL &) { return IDCANCEL; };
    SeamOverride<JobCreationDialogs> scripted(g_jobCreationDialogs, creation);
    // The chooser sets up its first job as it is made; the user closes it without a second.
    m_chooser = [](CWnd *parent) {
        CJobTypeSelDlg chooser(parent);
        return static_cast<INT_PTR>(IDOK);
    };
    ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
    m_dialog->ShowWindow(SW_SHOW);
    CJobListView *view = m_dialog->GetJobListView();
    // The user's last job deleted: the empty view.
    m_answer = IDYES;
    Command(ID_JOB_DELETE);
    ASSERT_EQ(view->GetItemCount(), 0);
    m_boxes.clear();
    m_answer = IDOK;
    // The empty view's add-job button: on a first start it is the only way to a job.
    const CPoint button = view->GetLargeButtonRect(LARGE_BUTTON_ADD_JOB).CenterPoint();
    ::SendMessageW(view->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.x, button.y));
    ::SendMessageW(view->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(button.x, button.y));
    ASSERT_TRUE(PumpFor([this] { return m_choosers == 1; }, 5000)) << "the add-job button opened nothing";
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 1);
    EXPECT_EQ(view->GetItemCount(), 1);
    EXPECT_EQ(Count(StoreText(), "<jobdef"), 1);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_FIRST_BACKUP_LATER});

    // A job handed over by message joins once, with its card; null and a job already there change nothing.
    auto job = std::make_unique<CSyncJob>();
    job->AttachNode();
    job->GetJobDef()->SetName(L"Handed");
    CSyncJob *handed = job.release();
    for (WPARAM wParam : {reinterpret_cast<WPARAM>(handed), reinterpret_cast<WPARAM>(handed), WPARAM(0)})
        ::SendMessageW(m_dialog->GetSafeHwnd(), WM_ADD_JOB, wParam, 0);
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    EXPECT_EQ(view->GetItemCount(), 2);
    EXPECT_EQ(Count(StoreText(), "<jobdef"), 2);
    EXPECT_EQ(Count(StoreText(), "name=\"Handed\""), 1);
}

TEST_F(JobCommandsWindow, ADeletionTakesTheJobWithItsFilterFilesOnlyOnYes)
{
    ASSERT_NO_FATAL_FAILURE(MakeDialog(std::string(kUserJob) + kDueJob));
    const std::wstring filters[] = {DataFile(L"{docs}_1.xml"), DataFile(L"{docs}_2.xml")};
    for (const std::wstring &file : filters)
        ASSERT_TRUE(testsupport::WriteFileBytes(file, "<filters/>"));
    CJobListView *view = m_dialog->GetJobListView();
    ASSERT_EQ(view->GetItemCount(), 2);
    RightClick(view->GetItem(0)->m_rect.CenterPoint());
    ASSERT_EQ(view->GetSelectedItem(), view->GetItem(0));

    m_answer = IDNO;
    ASSERT_TRUE(::DeleteFileW(StorePath().c_str()));
    Command(ID_JOB_DELETE);
    EXPECT_EQ(m_boxes, std::vector<UINT>{IDS_ASK_DELETE_JOB});
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    EXPECT_EQ(view->GetItemCount(), 2);
    EXPECT_EQ(Count(StoreText(), "<jobdef"), 2) << "No saves the store all the same";
    for (const std::wstring &file : filters)
        EXPECT_TRUE(enginetest::Exists(file));

    m_answer = IDYES;
    Command(ID_JOB_DELETE);
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 1);
    EXPECT_EQ(m_dialog->GetJobList()->GetAt(0)->GetJobDef()->GetName(), L"Hourly");
    EXPECT_EQ(view->GetItemCount(), 1);
    const std::string store = StoreText();
    EXPECT_EQ(Count(store, "<jobdef"), 1);
    EXPECT_EQ(Count(store, "My Documents"), 0);
    for (const std::wstring &file : filters)
        EXPECT_FALSE(enginetest::Exists(file)) << CStringA(file.c_str()).GetString();
}

} // namespace
