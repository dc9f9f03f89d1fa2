// What the job store keeps: a copy of every broken store met (none over another), and, at the program's end, what
// changed since the last save.
#include "JobListTestSupport.h"

#include "engine/job/SyncJob.h"
#include "engine/store/JobDef.h"

using namespace joblisttest;

namespace
{

using StoreKeeps = StoreTest;

TEST_F(StoreKeeps, EachBrokenStoreGetsACopyOfItsOwn)
{
    struct Row
    {
        const char *store; // what "Zel.xml" holds at the start
        LPCWSTR copy;      // where its copy is then
    } rows[] = {
        {"<Tessel xmlns=\"ORVANE\"><jobdef name=\"First", L".bad"},
        {"<Tessel xmlns=\"ORVANE\"><jobdef name=\"Second", L".bad.1"},
        // The same broken store at the next start has its copy already.
        {"<Tessel xmlns=\"ORVANE\"><jobdef name=\"Second", L".bad.1"},
        {"<Tessel xmlns=\"ORVANE\"><jobdef name=\"Third", L".bad.2"},
    };
    for (const Row &row : rows)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), row.store));
        CSyncJobList list;
        EXPECT_EQ(list.GetBrokenStoreCopy(), CString((StorePath() + row.copy).c_str())) << row.store;
        EXPECT_EQ(testsupport::ReadFileBytes(StorePath() + row.copy), row.store);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath() + L".bad"), rows[0].store);
    EXPECT_EQ(::GetFileAttributesW((StorePath() + L".bad.3").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StoreKeeps, TheEndSavesWhatChangedAndOnlyThat)
{
    WriteStore(StoreXml(JobXml(L"A", L"uuid-a", L"neverrun=\"true\"") + JobXml(L"B", L"uuid-b")));
    const std::string stored = testsupport::ReadFileBytes(StorePath());
    CSyncJobList list;
    // Neither a load nor a job that was never stored is a change.
    auto fresh = std::make_unique<CSyncJob>();
    fresh->AttachNode();
    list.Add(fresh.release());
    EXPECT_EQ(list.SaveIfChanged(), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(StorePath()), stored);
    // A watched change stamps a job's last run outside any run's end; a removed job goes from the store.
    JobNamed(list, L"A")->GetJobDef()->SetNeverRun(L"2024-01-01 10:00:00");
    EXPECT_EQ(list.SaveIfChanged(), 1);
    EXPECT_EQ(StoredAttribute(L"A", L"neverrun"), L"2024-01-01 10:00:00");
    EXPECT_EQ(list.SaveIfChanged(), 0);
    list.RemoveJob(JobNamed(list, L"B"));
    EXPECT_EQ(list.SaveIfChanged(), 1);
    EXPECT_EQ(StoredNames().size(), 2u) << "A and the job the first save stored";
}

} // namespace
