// Making a job through the job type chooser, without windows: the wizard, the overwrite choice and the start-backup
// prompt answer through their seam. What the user meets is checked in the store's file, the collection, the job
// list and the runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"
#include "setup/support/JobSetupTestSupport.h"
#include "setup/wizard/JobCreationDialogs.h"
#include "setup/wizard/JobTypeSelDlg.h"
#include "setup/wizard/SetupReports.h"

using enginetest::kAnyText;

using enginetest::ChildElements;

namespace
{

class JobCreation : public setuptest::JobSetupTest
{
  protected:
    void SetUp() override
    {
        JobSetupTest::SetUp();
        JobCreationDialogs scripted;
        scripted.runWizard = [this](CSyncJob *job, CWnd *) {
            m_calls.push_back("wizard");
            m_wizardJobs.push_back(job);
            const INT_PTR answer = m_wizardAnswers.empty() ? IDCANCEL : m_wizardAnswers.front();
            if (!m_wizardAnswers.empty())
                m_wizardAnswers.erase(m_wizardAnswers.begin());
            return answer;
        };
        scripted.runOverwriteChoice = [this](CSyncJob *job, CWnd *) {
            m_calls.push_back("overwrite");
            job->GetJobDef()->SetOwType(2);
            return static_cast<INT_PTR>(IDOK);
        };
        scripted.runStartBackup = [this](BOOL &checked) {
            m_calls.push_back("start");
            checked = m_startChecked;
            return m_startAnswer;
        };
        scripted.openHelp = [this](CWnd *) { m_calls.push_back("help"); };
        m_dialogs = std::make_unique<SeamOverride<JobCreationDialogs>>(g_jobCreationDialogs, scripted);
    }
    void TearDown() override
    {
        m_dialogs.reset();
        JobSetupTest::TearDown();
    }
    void Pend(const std::vector<LPCWSTR> &paths)
    {
        for (LPCWSTR path : paths)
            m_main->m_pendingSources.Add(path);
    }

    std::vector<INT_PTR> m_wizardAnswers;
    std::vector<std::string> m_calls;
    std::vector<CSyncJob *> m_wizardJobs;
    INT_PTR m_startAnswer = IDCANCEL;
    BOOL m_startChecked = FALSE;

  private:
    std::unique_ptr<SeamOverride<JobCreationDialogs>> m_dialogs;
};

} // namespace

TEST_F(JobCreation, PendingPathsBecomeTheSourcesOfTheFirstJob)
{
    Pend({L"C:\\a\\", L"C:\\a\\b.txt", L"b.txt"});
    m_wizardAnswers = {IDOK};
    CJobTypeSelDlg chooser(nullptr);

    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 1u);
    const IXMLDOMElementPtr &job = stored[0];
    const auto sources = ChildElements(job, L"src");
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(sources[0], L"path"), L"C:\\a\\");
    const auto files = ChildElements(sources[0], L"file");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(files[0], L"path"), L"C:\\a\\b.txt");
    const struct
    {
        LPCWSTR key;
        LPCWSTR value;
    } keys[] = {{L"wizard_mode", L"1"},       {L"sync_type", L"1"}, {L"retain_full_path", L"0"},
                {L"autodel", L"true"},        {L"maxver", L"1"},    {L"threshold", L"90"},
                {L"warningthreshold", L"1"},  {L"state", L"1"},     {L"suppress_error_log_window", L"0"},
                {L"startbackupdlg", L"false"}};
    for (const auto &key : keys)
        EXPECT_EQ(XmlGetAttributeString(job, key.key), key.value) << CStringA(key.key).GetString();
    EXPECT_EQ(XmlGetAttributeString(job, L"JobUUID").GetLength(), 36);
    EXPECT_EQ(XmlGetAttributeString(job, L"folder2folder"), L"");
    EXPECT_EQ(m_calls, (std::vector<std::string>{"wizard", "start"}));
}

TEST_F(JobCreation, AMirrorOfAFileIsRefusedAndTheListEmptied)
{
    const std::wstring file = m_folder / L"note.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    Pend({m_folder.Path().c_str(), file.c_str()});
    CJobTypeSelDlg chooser(nullptr);
    ASSERT_EQ(m_calls, std::vector<std::string>{"wizard"});

    EXPECT_FALSE(chooser.Choose(CJobTypeSelDlg::TYPE_MIRROR));
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_SOURCES_MUST_BE_FOLDERS});
    EXPECT_EQ(m_main->m_pendingSources.GetSize(), 0);
    EXPECT_EQ(m_calls, std::vector<std::string>{"wizard"});
    EXPECT_EQ(chooser.GetJobType(), CJobTypeSelDlg::TYPE_BACKUP);
    EXPECT_TRUE(StoredJobs().empty());

    // Folders only: the mirror job is made, keeping full paths.
    Pend({m_folder.Path().c_str()});
    m_wizardAnswers = {IDOK};
    EXPECT_TRUE(chooser.Choose(CJobTypeSelDlg::TYPE_MIRROR));
    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"sync_type"), L"2");
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"retain_full_path"), L"1");
}

TEST_F(JobCreation, ACancelledWizardKeepsNothing)
{
    Pend({L"C:\\a\\"});
    CJobTypeSelDlg chooser(nullptr);
    EXPECT_EQ(m_calls, std::vector<std::string>{"wizard"});
    EXPECT_EQ(m_jobs->GetCount(), 0);
    EXPECT_TRUE(m_main->m_listedJobs.empty());
    EXPECT_TRUE(StoredJobs().empty());
    // The next save of the collection has no trace of it either.
    m_jobs->Save();
    EXPECT_TRUE(StoredJobs().empty());
}

TEST_F(JobCreation, ADeclinedPromptSavesTheJobWithoutARun)
{
    m_wizardAnswers = {IDOK};
    m_startAnswer = IDCANCEL;
    m_startChecked = TRUE;
    // The box that says the job is saved comes once the store holds it.
    size_t storedWhenTold = 0;
    m_answer = [&](UINT, UINT) {
        storedWhenTold = StoredJobs().size();
        return IDOK;
    };
    CJobTypeSelDlg chooser(nullptr);
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_FIRST_BACKUP_LATER});
    EXPECT_EQ(storedWhenTold, 1u);
    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"startbackupdlg"), L"true");
    ASSERT_EQ(m_jobs->GetCount(), 1);
    EXPECT_EQ(m_jobs->GetAt(0)->m_runState, JOB_IDLE);
    m_main->PumpUntil([] { return false; }, 300);
    EXPECT_EQ(m_main->CountEnds(), 0u);
}

TEST_F(JobCreation, AFolderToFolderJobAsksTheOverwriteChoiceFirst)
{
    CJobTypeSelDlg chooser(nullptr);
    m_calls.clear();
    m_wizardAnswers = {IDOK};
    EXPECT_TRUE(chooser.Choose(CJobTypeSelDlg::TYPE_FOLDERS));
    EXPECT_EQ(m_calls, (std::vector<std::string>{"wizard", "overwrite", "start"}));
    const auto stored = StoredJobs();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"sync_type"), L"2");
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"folder2folder"), L"1");
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"ow_type"), L"2");
    // Without pending paths "wizard_mode" keeps its default.
    EXPECT_EQ(XmlGetAttributeString(stored[0], L"wizard_mode"), L"");
}

TEST_F(JobCreation, AnAcceptedJobIsListedAndRunOnce)
{
    m_wizardAnswers = {IDOK};
    m_startAnswer = IDOK;
    CJobTypeSelDlg chooser(nullptr);
    ASSERT_EQ(m_jobs->GetCount(), 1);
    CSyncJob *job = m_jobs->GetAt(0);
    EXPECT_EQ(m_wizardJobs, std::vector<CSyncJob *>{job});
    EXPECT_EQ(m_main->m_listedJobs, std::vector<CSyncJob *>{job});
    EXPECT_TRUE(m_asked.empty());
    // No worker is installed here: the run that was claimed ends at once, as the one run of the job.
    WaitForRunEnds(1);
    m_main->PumpUntil([] { return false; }, 300);
    const auto ends = m_main->EndMessages();
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].job, job);
    EXPECT_EQ(StoredJobs().size(), 1u);
}

TEST_F(JobCreation, AStoreThatCannotBeSavedKeepsTheJobAndSaysWhy)
{
    // The store's folder is gone: the save fails.
    m_jobs.reset();
    m_jobs = std::make_unique<CSyncJobList>((m_folder / L"gone\\Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
    m_main->m_jobList = m_jobs.get();
    m_wizardAnswers = {IDOK};
    CJobTypeSelDlg chooser(nullptr);
    EXPECT_EQ(m_jobs->GetCount(), 1);
    // Only why the save failed: no box says the job is saved.
    EXPECT_EQ(AskedIds(), std::vector<UINT>{0});
    ASSERT_EQ(m_asked.size(), 1u);
    // The system's reason follows the message's own words.
    const CString format = AfxLoadText(IDS_JOB_STORE_NOT_SAVED);
    const CString words = format.Left(format.Find(L"%s"));
    EXPECT_EQ(m_asked[0].text.Left(words.GetLength()), words);
    EXPECT_GT(m_asked[0].text.GetLength(), words.GetLength());
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(), std::wstring(kAnyText) + L" The job store " + kAnyText +
                                                            L" cannot be saved" + kAnyText),
              1);
}

TEST_F(JobCreation, AWindowTheLanguageLibraryLacksIsLoggedAndCountsAsCancelled)
{
    CDialog missing(59999, nullptr);
    EXPECT_EQ(RunSetupDialog(missing), IDCANCEL);
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_TEMPLATE_MISSING});
    EXPECT_EQ(enginetest::CountLines(ProgramLogLines(),
                                     std::wstring(kAnyText) + L" The window 59999 cannot be shown" + kAnyText),
              1);
}
