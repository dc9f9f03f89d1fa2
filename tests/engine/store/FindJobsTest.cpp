// Which jobs cover a changed path: the matches change processing works through.
#include "JobListTestSupport.h"

#include "engine/job/SyncJob.h"

using namespace joblisttest;

namespace
{

std::wstring Source(const std::wstring &path, const std::wstring &destination)
{
    return L"<src path=\"" + path + L"\" destination=\"" + destination + L"\"/>";
}

const wchar_t kWatched[] = L"state=\"1\" js_type=\"0\" ";

class FindJobs : public StoreTest
{
};

} // namespace

TEST_F(FindJobs, MatchesByJobSourceAndDestination)
{
    const std::wstring longName(200, L'n');
    std::wstring jobs =
        JobXml(L"NoDestination", L"u1", kWatched, Source(L"C:\\", L"")) +
        JobXml(L"Dst", L"u2", kWatched + std::wstring(L"dest=\"D:\\dst\\\""), Source(L"C:\\data\\", L"D:\\dst\\data")) +
        JobXml(longName, L"u3", kWatched + std::wstring(L"sync_type=\"2\" dest=\"D:\\\""),
               Source(L"C:\\none\\", L"") + Source(L"C:\\two\\", L"D:\\dst") + Source(L"C:\\data\\", L"D:\\dst2\\")) +
        JobXml(L"Off", L"u4", L"state=\"0\" js_type=\"0\" dest=\"D:\\off\\\"", Source(L"C:\\data\\", L"D:\\off\\"));
    WriteStore(StoreXml(jobs));
    CSyncJobList list;
    std::vector<ChangedPathMatch> matches;

    // The source with no destination makes no target, and its match says why (its job is to run); the two-way
    // job with a 200-character name gets its revision under the destination drive's root; the disabled job
    // never counts.
    ASSERT_EQ(list.FindJobsForPath(L"\\\\?\\C:\\data\\f.txt", matches), 3u);
    EXPECT_EQ(matches[0].copyPath, L"");
    EXPECT_EQ(matches[0].pathError, static_cast<DWORD>(ERROR_BAD_PATHNAME));
    EXPECT_EQ(matches[1].root, L"D:\\dst\\");
    EXPECT_EQ(matches[1].copyPath, L"D:\\dst\\data\\f.txt");
    EXPECT_EQ(matches[1].revisionPath, L"D:\\dst\\Revision\\data\\f.txt");
    EXPECT_EQ(matches[2].copyPath, L"D:\\dst2\\f.txt");
    EXPECT_EQ(matches[2].revisionPath, (L"D:\\Revision\\" + longName + L"\\dst2\\f.txt").c_str());

    // A change below the two-way job's destination goes back to its source; D:\dst is no folder above D:\dst2.
    ASSERT_EQ(list.FindJobsForPath(L"D:\\dst2\\x\\g.txt", matches), 1u);
    EXPECT_EQ(matches[0].root, L"C:\\data\\");
    EXPECT_EQ(matches[0].copyPath, L"C:\\data\\x\\g.txt");
    EXPECT_EQ(matches[0].revisionPath, L"D:\\Revision\\x\\g.txt");
}

TEST_F(FindJobs, AtMostTenJobsAndOnlyThoseThatMayTakeAChange)
{
    std::wstring jobs;
    for (int i = 0; i < 12; ++i)
        jobs += JobXml(L"J" + std::to_wstring(i), L"u" + std::to_wstring(i),
                       kWatched + std::wstring(L"dest=\"E:\\b") + std::to_wstring(i) + L"\"",
                       Source(L"C:\\data\\", L"E:\\b" + std::to_wstring(i)));
    WriteStore(StoreXml(jobs));
    CSyncJobList list;
    // A watched job in a run of its own (no start argument) waits; one in a run started from the window does not.
    list.GetAt(0)->m_runState = JOB_BUSY;
    list.GetAt(1)->m_runState = JOB_BUSY;
    list.GetAt(1)->m_startArgument = 1;
    std::vector<ChangedPathMatch> matches;
    ASSERT_EQ(list.FindJobsForPath(L"C:\\data\\f", matches), kMaxChangedPathMatches);
    EXPECT_EQ(matches.front().copyPath, L"E:\\b1\\f");
    EXPECT_EQ(matches.back().copyPath, L"E:\\b10\\f");
}
