// Making a job as a user does, in the test's own process over a program drive F:: a "--create" request opens the
// real job type chooser (its first wizard cancelled), then the folder-to-folder choice goes through the real pages
// of the wizard, the overwrite choice and the start prompt, beside the main window's job list, its schedule timer
// and the real runs: a run before the answers would show on the folder pair itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "engine/continuous/ContinuousRun.h"
#include "engine/program/AppPaths.h"
#include "engine/run/RunThread.h"
#include "app/support/RunRoadTestSupport.h"
#include "app/window/JobCommandWindows.h"
#include "setup/destpage/DestinationPage.h"
#include "setup/support/WindowScript.h"
#include "setup/wizard/TesselWizard.h"

using setuptest::FindDialogWith;
using setuptest::WindowScript;

namespace
{

// The user's own job, disabled: it neither runs nor is watched meanwhile.
const char kUserJob[] = "<jobdef name=\"Mine\" state=\"0\" sync_type=\"1\" js_type=\"1\" js_mins=\"60\" "
                        "dest=\"F:\\Backup\\\"><src path=\"F:\\Docs\\\" hassrc=\"1\"/></jobdef>";

void Click(HWND dialog, int id)
{
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

CTesselWizard *Wizard(int step)
{
    auto *wizard = dynamic_cast<CTesselWizard *>(CWnd::FromHandlePermanent(FindDialogWith(IDC_WIZARD_NAME)));
    return wizard != nullptr && wizard->GetStep() == step ? wizard : nullptr;
}

// A step that waits for the wizard at the step, then acts on it.
WindowScript::Step AtStep(int step, std::function<void(CTesselWizard &)> act)
{
    return [step, act] {
        CTesselWizard *wizard = Wizard(step);
        if (wizard != nullptr)
            act(*wizard);
        return wizard != nullptr;
    };
}

// A step that waits for the dialog holding the control, then acts on it.
WindowScript::Step OnDialog(int controlId, std::function<void(HWND)> act)
{
    return [controlId, act] {
        HWND dialog = FindDialogWith(controlId);
        if (dialog != nullptr && FindDialogWith(IDC_WIZARD_NAME) == nullptr)
            act(dialog);
        return dialog != nullptr && FindDialogWith(IDC_WIZARD_NAME) == nullptr;
    };
}

// F:\Pair\B chosen in the destination page's tree, as the user chooses it.
void ChoosePairDestination(CTesselWizard &wizard)
{
    auto *page = dynamic_cast<CDestinationPage *>(wizard.GetPage(CTesselWizard::STEP_DESTINATION));
    ASSERT_NE(page, nullptr);
    DesFileTree::DesBaseNode *node = nullptr;
    const DesFileTree::NodeList *level = &page->GetTreeHost().GetGroupNodes(DesFileTree::GROUP_FIXED);
    for (LPCWSTR path : {L"F:\\", L"F:\\Pair", L"F:\\Pair\\B"})
    {
        node = nullptr;
        for (const auto &candidate : *level)
            node = candidate->GetPath().CompareNoCase(path) == 0 ? candidate.get() : node;
        ASSERT_NE(node, nullptr) << CStringA(path).GetString();
        level = &node->GetChildren();
    }
    ASSERT_TRUE(page->GetTree().SelectNode(node));
}

class JobCreationWindow : public runtest::RunRoadTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(RunRoadTest::SetUp());
        m_runs.reset();
        m_workers.emplace(g_syncJobWorkers, g_syncJobWorkers.Get());
        InstallBackupRunThread();
        InstallListFileRunThread();
        m_savedListName = GetTesselDirListFileName();
        SetTesselDirListName(L"TesselDir.list");
        m_texts.emplace(g_messageBoxAnswer, [this](UINT textId, const CString &, UINT) {
            m_boxes.push_back(textId);
            return textId == IDS_ASK_CANCEL_WIZARD || textId == IDS_ASK_DELETE_JOB || textId == IDS_ASK_EXIT ? IDYES
                                                                                                             : IDOK;
        });
        // A right-button click selects the card under the pointer; no menu shows.
        JobCommandWindows windows = g_jobCommandWindows.Get();
        windows.trackMenu = [](HMENU, UINT, int, int, HWND) { return TRUE; };
        m_menu.emplace(g_jobCommandWindows, windows);
        // Two different files of one name, never in step; the destination's is the newer.
        enginetest::WriteFileAt(Local(L"Pair\\A\\Report.txt"), "the user's report", 0);
        enginetest::WriteFileAt(Local(L"Pair\\B\\Report.txt"), "another report", 100);
        ASSERT_NO_FATAL_FAILURE(MakeDialog(kUserJob));
        m_dialog->ShowWindow(SW_SHOW);
        m_dialog->ArmScheduleTimer();
    }
    void TearDown() override
    {
        m_menu.reset();
        m_texts.reset();
        RunRoadTest::TearDown();
        m_workers.reset();
        SetTesselDirListName(m_savedListName);
    }
    void ExpectPairUntouched()
    {
        EXPECT_EQ(testsupport::ReadFileBytes(Local(L"Pair\\A\\Report.txt")), "the user's report");
        EXPECT_EQ(testsupport::ReadFileBytes(Local(L"Pair\\B\\Report.txt")), "another report");
        EXPECT_EQ(m_dialog->GetRunningJobCount(), 0u);
    }
    // The road from the chooser to the overwrite choice of an on-change job (a device's name refused on the way),
    // which stays open 2.5 s while the schedule ticks; then the steps given.
    void CreatePairJob(std::vector<WindowScript::Step> then)
    {
        std::vector<WindowScript::Step> steps = {
            AtStep(CTesselWizard::STEP_SOURCE, [](CTesselWizard &wizard) { Click(wizard.m_hWnd, IDCANCEL); }),
            OnDialog(IDC_CHOICE_FOLDERS, [](HWND chooser) { Click(chooser, IDC_CHOICE_FOLDERS); }),
            AtStep(CTesselWizard::STEP_SOURCE, [](CTesselWizard &wizard) { Click(wizard.m_hWnd, IDC_WIZARD_NEXT); }),
            AtStep(CTesselWizard::STEP_DESTINATION,
                   [](CTesselWizard &wizard) {
                       ChoosePairDestination(wizard);
                       Click(wizard.m_hWnd, IDC_WIZARD_NEXT);
                   }),
            AtStep(CTesselWizard::STEP_SCHEDULE,
                   [](CTesselWizard &wizard) {
                       setuptest::ChooseComboItem(wizard.GetPage(CTesselWizard::STEP_SCHEDULE)->m_hWnd,
                                                  IDC_SCHEDULE_KIND, 0);
                       ::SetDlgItemTextW(wizard.m_hWnd, IDC_WIZARD_NAME, L"nul.txt");
                       Click(wizard.m_hWnd, IDC_WIZARD_FINISH);
                   }),
            AtStep(CTesselWizard::STEP_SCHEDULE,
                   [](CTesselWizard &wizard) {
                       ::SetDlgItemTextW(wizard.m_hWnd, IDC_WIZARD_NAME, L"Pair");
                       Click(wizard.m_hWnd, IDC_WIZARD_FINISH);
                   }),
            OnDialog(IDC_OVERWRITE_CONTINUE,
                     [this](HWND) {
                         m_asked = ::GetTickCount();
                         EXPECT_FALSE(::IsWindowEnabled(m_dialog->m_hWnd)) << "the main window takes input";
                     }),
            [this] { return ::GetTickCount() - m_asked > 2500; },
        };
        steps.insert(steps.end(), then.begin(), then.end());
        WindowScript script(std::move(steps), 30000);
        const std::wstring line = L"E:\\Tarnvel.exe --create " + OnDrive(L"Pair\\A\\;");
        COPYDATASTRUCT data = {0, static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)),
                               const_cast<wchar_t *>(line.c_str())};
        ::SendMessageW(m_dialog->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        EXPECT_TRUE(script.Finished()) << "the script stopped at its step " << script.FailedStep();
        EXPECT_TRUE(::IsWindowEnabled(m_dialog->m_hWnd)) << "the window is not the user's again";
        EXPECT_EQ(std::count(m_boxes.begin(), m_boxes.end(), UINT(IDS_JOB_NAME_RESERVED)), 1);
    }

    DWORD m_asked = 0;

  private:
    CString m_savedListName;
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
    std::optional<SeamOverride<MessageBoxAnswer>> m_texts;
    std::optional<SeamOverride<JobCommandWindows>> m_menu;
};

} // namespace

TEST_F(JobCreationWindow, ACardDeletedDuringTheOverwriteChoiceLeavesNoJobAndNoRun)
{
    CJobListView *view = m_dialog->GetJobListView();
    CreatePairJob({OnDialog(IDC_OVERWRITE_CONTINUE, [this, view](HWND choice) {
        ExpectPairUntouched();
        ASSERT_EQ(view->GetItemCount(), 2);
        const CPoint card = view->GetItem(1)->m_rect.CenterPoint();
        ::SendMessageW(view->m_hWnd, WM_RBUTTONUP, 0, MAKELPARAM(card.x, card.y));
        ::SendMessageW(m_dialog->m_hWnd, WM_COMMAND, ID_JOB_DELETE, 0);
        EXPECT_EQ(view->GetItemCount(), 1);
        Click(choice, IDC_OVERWRITE_CONTINUE);
    })});
    EXPECT_EQ(m_dialog->GetJobList()->GetCount(), 1);
    EXPECT_EQ(StoreText().find("name=\"Pair\""), std::string::npos);
    EXPECT_EQ(FindDialogWith(IDC_START_BACKUP_CHECK), nullptr);
    PumpFor([] { return false; }, 2000);
    ExpectPairUntouched();
}

TEST_F(JobCreationWindow, AnOnChangePairRunsBeforeNoAnswerAndLaterWaitsForItsFirstChange)
{
    CreatePairJob({OnDialog(IDC_OVERWRITE_CONTINUE,
                            [this](HWND choice) {
                                ExpectPairUntouched();
                                ::CheckRadioButton(choice, IDC_OVERWRITE_NEWER, IDC_OVERWRITE_NEVER,
                                                   IDC_OVERWRITE_ALWAYS);
                                Click(choice, IDC_OVERWRITE_CONTINUE);
                            }),
                   OnDialog(IDC_START_BACKUP_CHECK, [this](HWND prompt) {
                       ExpectPairUntouched();
                       Click(prompt, IDCANCEL); // "Later"
                   })});
    EXPECT_EQ(m_boxes.back(), UINT(IDS_FIRST_BACKUP_LATER));
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    CSyncJob *job = m_dialog->GetJobList()->GetAt(1);
    EXPECT_EQ(job->GetJobDef()->GetOwType(), 2);
    EXPECT_NE(StoreText().find("name=\"Pair\""), std::string::npos);
    // Watched without a first run: "Always replace" would have replaced the other report.
    ASSERT_TRUE(PumpFor([job] { return job->m_watchFlag != FALSE; }, 10000)) << "the pair is not watched";
    PumpFor([] { return false; }, 3000);
    ExpectPairUntouched();
}

TEST_F(JobCreationWindow, TheProgramsEndDuringTheOverwriteChoiceKeepsTheJobDisabled)
{
    // The tray icon's Exit, which stays at hand while the main window takes no input.
    CreatePairJob({OnDialog(IDC_OVERWRITE_CONTINUE,
                            [this](HWND) { ::SendMessageW(m_dialog->m_hWnd, WM_COMMAND, ID_TRAY_EXIT_MAIN, 0); })});
    PumpFor([this] { return m_quitSeen; }, 2000);
    EXPECT_TRUE(m_quitSeen);
    ASSERT_EQ(m_dialog->GetJobList()->GetCount(), 2);
    EXPECT_EQ(m_dialog->GetJobList()->GetAt(1)->GetJobDef()->GetState(), 0) << "unanswered, it may not run";
    EXPECT_NE(StoreText().find("name=\"Pair\""), std::string::npos);
    EXPECT_EQ(FindDialogWith(IDC_START_BACKUP_CHECK), nullptr);
    PumpFor([] { return false; }, 2000);
    ExpectPairUntouched();
}
