// The new-job wizard as the user goes through it, from the job type chooser to the job store: the steps' pages load
// and save as the user moves (counting pages stand in for the source and destination steps, the schedule page is
// the real one), the refusals that keep the wizard open, Finish, the two small dialogs, and the drives that come and
// go. It leaves the chooser as job-type.png and the wizard's last step as wizard.png in the build folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <memory>
#include <vector>

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/drawing/GdiPlusSession.h"
#include "platform/system/Resources.h"
#include "setup/support/JobSetupTestSupport.h"
#include "setup/support/WindowScript.h"
#include "setup/wizard/JobCreationDialogs.h"
#include "setup/wizard/JobTypeSelDlg.h"
#include "setup/wizard/SetupReports.h"
#include "setup/wizard/TesselWizard.h"
#include "setup/wizard/WizardPageFactory.h"
#include "setup/wizard_gui/WizardTestResources.h"
#include "support/TestSupport.h"

using setuptest::ChooseComboItem;
using setuptest::FindDialogWith;
using setuptest::PressKey;
using setuptest::WindowScript;

using enginetest::ChildElements;

namespace
{

struct PageCounts
{
    int loads = 0;
    int saves = 0;
    CPageBase *page = nullptr;
};

class CountingPage : public CPageBase
{
  public:
    CountingPage(CTesselWizard &wizard, PageCounts &counts) : CPageBase(IDD_COUNTING_PAGE, &wizard), m_counts(counts)
    {
        m_counts.page = this;
    }
    BOOL LoadPage() override
    {
        ++m_counts.loads;
        return TRUE;
    }
    BOOL SavePage() override
    {
        ++m_counts.saves;
        return TRUE;
    }

  private:
    PageCounts &m_counts;
};

class WizardWindow : public setuptest::JobSetupTest
{
  protected:
    WizardWindow() : JobSetupTest(enginetest::FakeMainWindow::Kind::TopLevel)
    {
    }
    void SetUp() override
    {
        JobSetupTest::SetUp();
        ASSERT_TRUE(m_gdiplus.IsStarted());
        WizardPageFactory pages;
        pages.makeSourcePage = [this](CTesselWizard &wizard) {
            return std::unique_ptr<CPageBase>(new CountingPage(wizard, m_source));
        };
        pages.makeDestinationPage = [this](CTesselWizard &wizard) {
            return std::unique_ptr<CPageBase>(new CountingPage(wizard, m_destination));
        };
        pages.saveFilters = [this](CPageBase &page) {
            EXPECT_EQ(&page, m_source.page);
            ++m_filtersSaved;
        };
        pages.reloadSourceTree = [this](CPageBase &) { ++m_sourceReloads; };
        pages.rebuildDestinationTree = [this](CPageBase &) { ++m_destinationRebuilds; };
        m_pages = std::make_unique<SeamOverride<WizardPageFactory>>(g_wizardPageFactory, pages);
        CTesselWizard::LoadStepImages(testsupport::SkinFolder().c_str());

        // The real windows, with a hold on the wizard while it shows.
        JobCreationDialogs dialogs = g_jobCreationDialogs.Get();
        dialogs.runWizard = [this](CSyncJob *job, CWnd *parent) {
            CTesselWizard wizard(job, CTesselWizard::STEP_SOURCE, parent);
            m_wizard = &wizard;
            const INT_PTR result = RunSetupDialog(wizard);
            m_wizard = nullptr;
            return result;
        };
        m_dialogs = std::make_unique<SeamOverride<JobCreationDialogs>>(g_jobCreationDialogs, dialogs);
    }
    void TearDown() override
    {
        m_dialogs.reset();
        CTesselWizard::FreeStepImages();
        m_pages.reset();
        JobSetupTest::TearDown();
    }

    HWND Wizard() const
    {
        return m_wizard != nullptr && ::IsWindowVisible(m_wizard->GetSafeHwnd()) ? m_wizard->GetSafeHwnd() : nullptr;
    }
    HWND WizardItem(int id) const
    {
        return ::GetDlgItem(m_wizard->GetSafeHwnd(), id);
    }
    bool Enabled(int id) const
    {
        return ::IsWindowEnabled(WizardItem(id)) != FALSE;
    }
    HWND SchedulePage() const
    {
        return m_wizard->GetPage(CTesselWizard::STEP_SCHEDULE)->GetSafeHwnd();
    }
    void SetName(LPCWSTR name)
    {
        ::SetWindowTextW(WizardItem(IDC_WIZARD_NAME), name);
    }
    size_t Asked(UINT id) const
    {
        size_t count = 0;
        for (UINT asked : AskedIds())
            count += asked == id ? 1 : 0;
        return count;
    }
    // A step that waits for the wizard to stand at the step, then acts.
    WindowScript::Step AtStep(int step, std::function<void()> act)
    {
        return [this, step, act] {
            if (Wizard() == nullptr || m_wizard->GetStep() != step)
                return false;
            act();
            return true;
        };
    }
    static WindowScript::Step OnDialog(int controlId, std::function<void(HWND)> act)
    {
        return [controlId, act] {
            HWND dialog = FindDialogWith(controlId);
            if (dialog == nullptr)
                return false;
            act(dialog);
            return true;
        };
    }
    CString Stored(size_t job, LPCWSTR key)
    {
        const auto stored = StoredJobs();
        return job < stored.size() ? XmlGetAttributeString(stored[job], key) : CString(L"(no job)");
    }

    CGdiPlusSession m_gdiplus;
    PageCounts m_source;
    PageCounts m_destination;
    int m_filtersSaved = 0;
    int m_sourceReloads = 0;
    int m_destinationRebuilds = 0;
    CTesselWizard *m_wizard = nullptr;

  private:
    std::unique_ptr<SeamOverride<WizardPageFactory>> m_pages;
    std::unique_ptr<SeamOverride<JobCreationDialogs>> m_dialogs;
};

} // namespace

TEST_F(WizardWindow, AJobGoesFromTheChooserThroughTheStepsIntoTheStore)
{
    AddJob(L"docs", L"E:\\Docs\\");
    m_main->m_pendingSources.Add(L"C:\\Family\\");
    int cancelQuestions = 0;
    m_answer = [&cancelQuestions](UINT textId, UINT) {
        // The first Escape is answered No.
        if (textId == IDS_ASK_CANCEL_WIZARD)
            return ++cancelQuestions == 1 ? IDNO : IDYES;
        return IDOK;
    };
    const CString fiftyOne(L'n', 51);
    WindowScript script({
        AtStep(0,
               [this] {
                   // Every page is loaded once as the wizard opens; the first step offers neither Back nor Finish.
                   EXPECT_EQ(m_source.loads, 1);
                   EXPECT_EQ(m_destination.loads, 1);
                   EXPECT_FALSE(Enabled(IDC_WIZARD_BACK));
                   EXPECT_FALSE(Enabled(IDC_WIZARD_FINISH));
                   EXPECT_EQ(setuptest::WindowText(WizardItem(IDC_WIZARD_NAME)),
                             m_wizard->GetJob()->GetJobDef()->GetName().GetString());
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED), 0);
               }),
        AtStep(1,
               [this] {
                   // Next saves the page it leaves and loads the next.
                   EXPECT_EQ(m_source.saves, 1);
                   EXPECT_EQ(m_destination.loads, 2);
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_BACK, BN_CLICKED), 0);
               }),
        AtStep(0,
               [this] {
                   // Back neither saves nor loads.
                   EXPECT_EQ(m_source.loads, 1);
                   EXPECT_EQ(m_destination.saves, 0);
                   EXPECT_EQ(m_destination.loads, 2);
                   EXPECT_FALSE(Enabled(IDC_WIZARD_BACK));
                   // Enter is Next on the first two steps.
                   PressKey(WizardItem(IDC_WIZARD_NAME), VK_RETURN);
               }),
        AtStep(1,
               [this] {
                   EXPECT_EQ(m_source.saves, 2);
                   EXPECT_EQ(m_destination.loads, 3);
                   PressKey(WizardItem(IDC_WIZARD_NAME), VK_RETURN);
               }),
        AtStep(2,
               [this] {
                   EXPECT_EQ(m_destination.saves, 1);
                   EXPECT_TRUE(Enabled(IDC_WIZARD_FINISH));
                   EXPECT_FALSE(Enabled(IDC_WIZARD_NEXT));
                   // Back from the last step takes Finish away with it.
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_BACK, BN_CLICKED), 0);
               }),
        AtStep(1,
               [this] {
                   EXPECT_FALSE(Enabled(IDC_WIZARD_FINISH));
                   EXPECT_EQ(m_destination.saves, 1);
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED), 0);
               }),
        AtStep(2,
               [this] {
                   EXPECT_EQ(m_destination.saves, 2);
                   // Escape closes the wizard only on Yes: this one is answered No.
                   PressKey(WizardItem(IDC_WIZARD_NAME), VK_ESCAPE);
               }),
        AtStep(2,
               [this, &cancelQuestions, &fiftyOne] {
                   EXPECT_EQ(cancelQuestions, 1);
                   // A name typed past 50 characters is cut; a blank one is refused.
                   SetName(fiftyOne);
                   EXPECT_EQ(setuptest::WindowText(WizardItem(IDC_WIZARD_NAME)).size(), 50u);
                   SetName(L"   ");
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_FINISH, BN_CLICKED), 0);
               }),
        AtStep(2,
               [this] {
                   EXPECT_EQ(Asked(IDS_JOB_NAME_EMPTY), 1u);
                   // Another job's name in other letter case is refused.
                   SetName(L"DOCS");
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_FINISH, BN_CLICKED), 0);
               }),
        AtStep(2,
               [this] {
                   EXPECT_GE(Asked(IDS_JOB_NAME_TAKEN), 1u);
                   SetName(L"Family photos");
                   // The weekly kind without a day is refused.
                   ChooseComboItem(SchedulePage(), IDC_SCHEDULE_KIND, 2);
                   EXPECT_EQ(m_wizard->GetHeaderText(), L"");
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_FINISH, BN_CLICKED), 0);
               }),
        AtStep(2,
               [this] {
                   EXPECT_EQ(Asked(IDS_NO_WEEKDAY), 1u);
                   EXPECT_FALSE(enginetest::Exists(m_folder / L"Family photos.log")) << "a refused Finish made files";
                   // Every 2 hours, told in the header; a "0" typed and left shows the 2 that is saved.
                   ChooseComboItem(SchedulePage(), IDC_SCHEDULE_KIND, 1);
                   ChooseComboItem(SchedulePage(), IDC_SCHEDULE_UNIT, UNIT_HOURS);
                   ::SendDlgItemMessageW(SchedulePage(), IDC_SCHEDULE_SPIN, UDM_SETPOS32, 0, 2);
                   ::SetDlgItemTextW(SchedulePage(), IDC_SCHEDULE_INTERVAL, L"0");
                   ::SendMessageW(SchedulePage(), WM_COMMAND, MAKEWPARAM(IDC_SCHEDULE_INTERVAL, EN_KILLFOCUS),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(SchedulePage(), IDC_SCHEDULE_INTERVAL)));
                   EXPECT_EQ(setuptest::WindowText(::GetDlgItem(SchedulePage(), IDC_SCHEDULE_INTERVAL)), L"2");
                   ChooseComboItem(SchedulePage(), IDC_SCHEDULE_KIND, 1);
                   CString sentence;
                   sentence.Format(IDS_HEADER_INTERVAL_ONE_WAY, L"2 hours");
                   EXPECT_EQ(m_wizard->GetHeaderText(), sentence);
                   EXPECT_TRUE(testsupport::SaveWindowPng(Wizard(), testsupport::BuildFolder() + L"wizard.png"));
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_FINISH, BN_CLICKED), 0);
               }),
        OnDialog(IDC_START_BACKUP_CHECK,
                 [](HWND prompt) {
                     ::CheckDlgButton(prompt, IDC_START_BACKUP_CHECK, BST_CHECKED);
                     ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                 }),
    });
    CJobTypeSelDlg chooser(nullptr);
    ASSERT_TRUE(script.Finished()) << "step " << script.FailedStep() << " was not done";

    // Finish wrote the schedule and the name, renamed the (new) restore list and opened the job's log.
    ASSERT_EQ(StoredJobs().size(), 2u);
    const struct
    {
        LPCWSTR key;
        LPCWSTR value;
    } keys[] = {{L"name", L"Family photos"}, {L"js_type", L"1"},           {L"js_mins", L"120"},
                {L"showprog", L"1"},         {L"startbackupdlg", L"true"}, {L"state", L"1"}};
    for (const auto &key : keys)
        EXPECT_EQ(Stored(1, key.key), key.value) << CStringA(key.key).GetString();
    EXPECT_TRUE(enginetest::Exists(m_folder / L"Family photos.restore"));
    EXPECT_TRUE(enginetest::Exists(m_folder / L"Family photos.log"));
    EXPECT_EQ(m_filtersSaved, 1);
    EXPECT_EQ(Asked(IDS_FIRST_BACKUP_LATER), 1u);

    // A folder-to-folder job from the chooser: the overwrite choice, then the first backup at once.
    WindowScript choose({
        OnDialog(IDC_CHOICE_HEADING,
                 [](HWND dialog) {
                     EXPECT_TRUE(testsupport::SaveWindowPng(dialog, testsupport::BuildFolder() + L"job-type.png"));
                     ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CHOICE_FOLDERS, BN_CLICKED), 0);
                 }),
        AtStep(0,
               [this] {
                   SetName(L"Docs to the server");
                   ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED), 0);
               }),
        AtStep(1, [this] { ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_NEXT, BN_CLICKED), 0); }),
        AtStep(2, [this] { ::PostMessageW(Wizard(), WM_COMMAND, MAKEWPARAM(IDC_WIZARD_FINISH, BN_CLICKED), 0); }),
        OnDialog(IDC_OVERWRITE_CONTINUE,
                 [](HWND choice) {
                     ::CheckRadioButton(choice, IDC_OVERWRITE_NEWER, IDC_OVERWRITE_NEVER, IDC_OVERWRITE_NEVER);
                     ::PostMessageW(choice, WM_COMMAND, MAKEWPARAM(IDC_OVERWRITE_CONTINUE, BN_CLICKED), 0);
                 }),
        OnDialog(IDC_START_BACKUP_CHECK,
                 [](HWND prompt) { ::PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }),
    });
    EXPECT_EQ(chooser.DoModal(), 0);
    ASSERT_TRUE(choose.Finished()) << "step " << choose.FailedStep() << " was not done";

    // The store holds each job once; the second one's run was asked once.
    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(Stored(0, L"name"), L"docs");
    EXPECT_EQ(Stored(1, L"name"), L"Family photos");
    EXPECT_EQ(Stored(2, L"name"), L"Docs to the server");
    EXPECT_EQ(Stored(2, L"folder2folder"), L"1");
    EXPECT_EQ(Stored(2, L"ow_type"), L"3");
    ASSERT_EQ(m_jobs->GetCount(), 3);
    EXPECT_EQ(m_main->m_listedJobs, (std::vector<CSyncJob *>{m_jobs->GetAt(1), m_jobs->GetAt(2)}));
    WaitForRunEnds(1);
    ASSERT_EQ(m_main->CountEnds(), 1u);
    EXPECT_EQ(m_main->EndMessages()[0].job, m_jobs->GetAt(2));
}

TEST_F(WizardWindow, DrivesWithMediaRefreshBothTrees)
{
    // A damaged time of day: the schedule page shows midnight.
    CSyncJob *job =
        AddJob(L"Weekly", L"E:\\Weekly\\", {{L"js_type", L"2"}, {L"js_time", L"25:70"}, {L"js_day", L"64"}});
    CTesselWizard wizard(job, CTesselWizard::STEP_SCHEDULE, nullptr);
    ASSERT_TRUE(wizard.Create(CTesselWizard::IDD, nullptr));
    wizard.ShowWindow(SW_SHOW);
    setuptest::PumpMessages();
    HWND page = wizard.GetPage(CTesselWizard::STEP_SCHEDULE)->GetSafeHwnd();
    SYSTEMTIME shown = {};
    ASSERT_EQ(::SendDlgItemMessageW(page, IDC_SCHEDULE_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)),
              GDT_VALID);
    EXPECT_EQ(shown.wHour, 0);
    EXPECT_EQ(shown.wMinute, 0);
    EXPECT_EQ(::IsDlgButtonChecked(page, IDC_SCHEDULE_SUNDAY), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_SCHEDULE_KIND, CB_GETCURSEL, 0, 0), 2);

    const struct
    {
        UINT event;
        DWORD flags;
        bool sendVolume;
        int refreshes;
    } rows[] = {
        {DBT_DEVICEARRIVAL, DBTF_MEDIA, true, 1},
        {DBT_DEVICEREMOVECOMPLETE, 0, true, 2},
        {DBT_DEVICEARRIVAL, DBTF_NET, true, 2}, // a network drive without media
        {DBT_DEVICEQUERYREMOVE, DBTF_MEDIA, true, 2},
        {DBT_DEVICEARRIVAL, DBTF_MEDIA, false, 2}, // no header at all
        {DBT_DEVICEARRIVAL, DBTF_NET | DBTF_MEDIA, true, 3},
    };
    for (const auto &row : rows)
    {
        DEV_BROADCAST_VOLUME volume = {};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << 5;
        volume.dbcv_flags = static_cast<WORD>(row.flags);
        wizard.SendMessage(WM_DEVICECHANGE, row.event, row.sendVolume ? reinterpret_cast<LPARAM>(&volume) : 0);
        setuptest::PumpMessages();
        EXPECT_EQ(m_sourceReloads, row.refreshes) << row.event << " " << row.flags;
        EXPECT_EQ(m_destinationRebuilds, row.refreshes) << row.event << " " << row.flags;
    }
    wizard.DestroyWindow();
}
