// A job's paths against the other jobs of the saved store: a watch is shared only with enabled on-change jobs.
#include "JobListTestSupport.h"

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"

using namespace joblisttest;

namespace
{

std::wstring Source(const std::wstring &path, const std::wstring &destination = L"")
{
    std::wstring xml = L"<src path=\"" + path + L"\" hassrc=\"1\"";
    if (!destination.empty())
        xml += L" destination=\"" + destination + L"\"";
    return xml + L"/>";
}

const wchar_t kWatched[] = L"state=\"1\" js_type=\"0\"";

class StoreCheck : public StoreTest
{
};

} // namespace

TEST_F(StoreCheck, TwoWatchingJobsShareTheirFolder)
{
    WriteStore(StoreXml(JobXml(L"One", L"u1", kWatched, Source(L"C:\\Data\\")) +
                        JobXml(L"Two", L"u2", kWatched, Source(L"C:\\Data\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 1);
    EXPECT_EQ(list.GetAt(1)->CheckPathInStore(L"c:\\data\\"), 1);
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Other\\"), 0);

    // The check reads the store as saved: disabling one job and saving leaves the other job alone.
    list.GetAt(0)->GetJobDef()->SetState(0);
    EXPECT_EQ(list.GetAt(1)->CheckPathInStore(L"C:\\Data\\"), 1);
    list.Save();
    EXPECT_EQ(list.GetAt(1)->CheckPathInStore(L"C:\\Data\\"), 0);
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 1);
}

TEST_F(StoreCheck, DisabledOrScheduledCompanionsDoNotCount)
{
    WriteStore(StoreXml(JobXml(L"Me", L"u0", kWatched, Source(L"C:\\Data\\")) +
                        JobXml(L"Off", L"u1", L"state=\"0\" js_type=\"0\"", Source(L"C:\\Data\\")) +
                        JobXml(L"Minutes", L"u2", L"state=\"1\" js_type=\"1\"", Source(L"C:\\Data\\")) +
                        JobXml(L"Weekly", L"u3", L"state=\"1\" js_type=\"2\"", Source(L"C:\\Data\\")) +
                        JobXml(L"NoState", L"u4", L"js_type=\"0\"", Source(L"C:\\Data\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 0);
}

TEST_F(StoreCheck, TheJobItselfNeverCountsAndNamesCompareWithoutCase)
{
    WriteStore(StoreXml(JobXml(L"Docs", L"u1", kWatched, Source(L"C:\\Data\\"))));
    {
        CSyncJobList list;
        EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 0);
    }
    WriteStore(StoreXml(JobXml(L"Docs", L"u1", kWatched, Source(L"C:\\Data\\")) +
                        JobXml(L"DOCS", L"u2", kWatched, Source(L"C:\\Data\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 0);
}

TEST_F(StoreCheck, MailStoreOfAnotherJobCountsByItsFolder)
{
    WriteStore(StoreXml(JobXml(L"Me", L"u0", kWatched, Source(L"C:\\Mail\\")) +
                        JobXml(L"Mail", L"u1", kWatched, Source(L"C:\\Mail\\Inbox.pst\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Mail\\"), 1);
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Mail\\Inbox.pst\\"), 0);
}

TEST_F(StoreCheck, TwoWayJobsAlsoCompareTheOtherJobsDestinations)
{
    WriteStore(StoreXml(JobXml(L"Mirror", L"u0", L"state=\"1\" js_type=\"0\" sync_type=\"2\"", Source(L"G:\\Work\\")) +
                        JobXml(L"Plain", L"u1", L"state=\"1\" js_type=\"0\"", Source(L"C:\\Data\\")) +
                        JobXml(L"Other", L"u2", kWatched, Source(L"C:\\Docs\\", L"F:\\Copies\\Docs\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"F:\\Copies\\Docs\\"), 1);
    EXPECT_EQ(list.GetAt(1)->CheckPathInStore(L"F:\\Copies\\Docs\\"), 0);
}

TEST_F(StoreCheck, MissingOrBrokenStoreSharesNothing)
{
    WriteStore(StoreXml(JobXml(L"One", L"u1", kWatched, Source(L"C:\\Data\\")) +
                        JobXml(L"Two", L"u2", kWatched, Source(L"C:\\Data\\"))));
    CSyncJobList list;
    ASSERT_TRUE(DeleteFileW(StorePath().c_str()));
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 0);
    ASSERT_TRUE(testsupport::WriteFileBytes(StorePath(), "<Tessel><jobdef"));
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(L"C:\\Data\\"), 0);
    EXPECT_EQ(list.GetAt(0)->CheckPathInStore(nullptr), 0);
}
