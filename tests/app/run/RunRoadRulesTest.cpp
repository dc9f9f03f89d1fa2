// The run road's rules as tables: where the view goes when a run ends, the end message of a finished run, the
// percent sent to the tray program, which job the one-click rebuild replaces, and the page's hold on its job.
#include <gtest/gtest.h>

#include "app/run/RunRoadRules.h"
#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace
{

class RunRoadRules : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        enginetest::UseLanguageLibrary();
    }
};

TEST_F(RunRoadRules, TheViewAfterARunsEnd)
{
    struct Row
    {
        int state;
        RunEnd end;
        int next;
        bool update, toList;
    } rows[] = {
        {VIEW_BACKUP_RUNNING, RunEnd::Finished, VIEW_BACKUP_PAGE, true, false},
        {VIEW_BACKUP_RUNNING, RunEnd::Cancelled, VIEW_BACKUP_PAGE, true, false},
        {VIEW_BACKUP_RUNNING, RunEnd::Failed, VIEW_BACKUP_PAGE, true, false},
        {VIEW_RESTORE_RUNNING, RunEnd::Finished, VIEW_RESTORE_PAGE, true, false},
        // A cancelled restore leaves the restore; a failed one stays on its page as it was.
        {VIEW_RESTORE_RUNNING, RunEnd::Cancelled, VIEW_JOB_LIST, true, true},
        {VIEW_RESTORE_RUNNING, RunEnd::Failed, VIEW_RESTORE_PAGE, false, false},
        {VIEW_JOB_LIST, RunEnd::Finished, VIEW_JOB_LIST, false, false},
        {VIEW_BACKUP_PAGE, RunEnd::Cancelled, VIEW_BACKUP_PAGE, false, false},
    };
    for (const Row &row : rows)
    {
        const RunEndView view = ViewAfterRunEnd(row.state, row.end);
        EXPECT_EQ(view.viewState, row.next) << "state " << row.state << ", end " << static_cast<int>(row.end);
        EXPECT_EQ(view.updateView, row.update) << "state " << row.state << ", end " << static_cast<int>(row.end);
        EXPECT_EQ(view.toJobList, row.toList) << "state " << row.state << ", end " << static_cast<int>(row.end);
    }
}

TEST_F(RunRoadRules, TheEndMessageOfAFinishedRun)
{
    struct Row
    {
        BOOL cancelled, first, all;
        int errors;
        BOOL items;
        int status;
        UINT message;
    } rows[] = {
        {TRUE, TRUE, TRUE, 0, FALSE, 1, IDS_BACKUP_INCOMPLETE},
        {FALSE, TRUE, TRUE, 3, TRUE, 2, IDS_FIRST_BACKUP_FINISHED},
        {FALSE, TRUE, FALSE, 0, FALSE, 1, IDS_BACKUP_FINISHED},
        {FALSE, FALSE, TRUE, 0, FALSE, 1, IDS_BACKUP_FINISHED},
        {FALSE, FALSE, FALSE, 2, TRUE, 2, IDS_BACKUP_FINISHED_WITH_ERRORS},
        {FALSE, FALSE, FALSE, 2, TRUE, 1, IDS_BACKUP_INCOMPLETE},
        {FALSE, FALSE, FALSE, 2, FALSE, 2, IDS_BACKUP_INCOMPLETE},
    };
    for (const Row &row : rows)
    {
        FinishedRunFacts facts;
        facts.cancelled = row.cancelled;
        facts.firstBackup = row.first;
        facts.allProcessed = row.all;
        facts.errorCount = row.errors;
        facts.hasErrorItems = row.items;
        facts.completeStatus = row.status;
        EXPECT_EQ(ChooseFinishedMessage(facts), row.message) << "row with message " << row.message;
    }
    // A restore's message speaks of the restore wherever the backup's word stood.
    EXPECT_EQ(EndMessageText(IDS_MAIN_BACKUP, VIEW_RESTORE_RUNNING), AfxLoadText(IDS_MAIN_RESTORE));
    EXPECT_EQ(EndMessageText(IDS_MAIN_BACKUP, VIEW_BACKUP_RUNNING), AfxLoadText(IDS_MAIN_BACKUP));
    EXPECT_EQ(EndMessageText(IDS_BACKUP_FINISHED, VIEW_RESTORE_RUNNING), AfxLoadText(IDS_BACKUP_FINISHED));
}

TEST_F(RunRoadRules, TheTrayPercent)
{
    EXPECT_EQ(TrayPercent(37, 0, 0), 37) << "a run without a total sends its own figure";
    EXPECT_EQ(TrayPercent(0, 3, 2), 66) << "truncated";
    EXPECT_EQ(TrayPercent(0, 1000, 1000), 100);
    EXPECT_EQ(TrayPercent(0, 0x200000000ULL, 0x100000000ULL), 50) << "past 32 bits";
}

TEST_F(RunRoadRules, TheJobTheRebuildReplaces)
{
    const CString computer = L"Tester";
    const RebuildCandidate user{false, L"My Documents", L"E:\\Backup\\Docs\\"};
    const RebuildCandidate written{false, L"TESTER", L"g:\\backup data\\tester"};
    const RebuildCandidate built{true, L"Renamed", L"E:\\Elsewhere\\"};
    const RebuildCandidate nameOnly{false, L"Tester", L"E:\\Backup\\"};
    const RebuildCandidate deeper{false, L"Tester", L"E:\\x\\Backup Data\\Tester\\"};
    struct Row
    {
        std::vector<RebuildCandidate> jobs;
        int selected;
        int target;
    } rows[] = {
        {{written, user}, -1, 0},          // the first job, a default one
        {{written, user}, 1, 0},           // a user's job selected: the default one beside it
        {{user, written, built}, 2, 2},    // the selected default job before the first
        {{user}, 0, -1},                   // a user's job alone is never replaced
        {{}, -1, -1},                      // nothing to replace
        {{nameOnly, deeper, user}, 0, -1}, // named after the computer but not written by the rebuild
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(PickRebuildTarget(rows[i].jobs, rows[i].selected, computer), rows[i].target) << "row " << i;
    EXPECT_EQ(DefaultJobDestination(L"E:\\", computer), L"E:\\Backup Data\\Tester\\");
}

TEST_F(RunRoadRules, APageHoldsAnEnabledIdleJobUntilItLetsGo)
{
    CSyncJob enabled;
    EXPECT_TRUE(HoldJobForPage(enabled));
    EXPECT_EQ(enabled.m_runState, JOB_DISABLED) << "the schedule and change processing leave a held job alone";
    ReleasePageHold(enabled);
    EXPECT_EQ(enabled.m_runState, JOB_IDLE);

    CSyncJob busy;
    busy.m_runState = JOB_BUSY;
    EXPECT_FALSE(HoldJobForPage(busy));
    ReleasePageHold(busy);
    EXPECT_EQ(busy.m_runState, JOB_BUSY);

    // A job disabled while held, and one disabled before, stay disabled.
    CSyncJob disabledMeanwhile;
    EXPECT_TRUE(HoldJobForPage(disabledMeanwhile));
    disabledMeanwhile.GetJobDef()->SetState(0);
    ReleasePageHold(disabledMeanwhile);
    EXPECT_EQ(disabledMeanwhile.m_runState, JOB_DISABLED);
    CSyncJob disabled;
    disabled.GetJobDef()->SetState(0);
    disabled.m_runState = JOB_DISABLED;
    EXPECT_FALSE(HoldJobForPage(disabled));
    ReleasePageHold(disabled);
    EXPECT_EQ(disabled.m_runState, JOB_DISABLED);
}

} // namespace
