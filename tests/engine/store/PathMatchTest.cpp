// Which job handles a watched change, the rename of a file a job lists by name, and the inside-a-folder test.
#include "JobListTestSupport.h"

#include "engine/store/JobDef.h"
#include "engine/job/SyncJob.h"

using namespace joblisttest;

namespace
{

using Paths = std::vector<std::wstring>;

const wchar_t kDest[] = L"E:\\Backup\\";

std::wstring Folder(const std::wstring &path)
{
    return L"<src path=\"" + path + L"\" hassrc=\"1\"/>";
}

std::wstring Files(const std::wstring &folder, const std::vector<std::wstring> &files)
{
    std::wstring xml = L"<src path=\"" + folder + L"\" hassrc=\"1\">";
    for (const std::wstring &file : files)
        xml += L"<file path=\"" + file + L"\"/>";
    return xml + L"</src>";
}

std::wstring Enabled(const std::wstring &dest = kDest)
{
    return L"state=\"1\" dest=\"" + dest + L"\"";
}

class PathMatch : public StoreTest
{
};

} // namespace

TEST(PathMatchBelow, PrefixTestOnWholeFolderNames)
{
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA", L"C:\\DATA2\\X"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA", L"C:\\data\\x"), 1);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA", L"C:\\DATA"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA\\", L"C:\\DATA\\\\"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA\\", L"C:\\Data\\Sub\\x.txt"), 1);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\DATA", L"C:\\DATA/x"), 1);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\", L"C:\\x"), 1);
    // The folder must lead the path, not just occur in it.
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"DATA", L"C:\\DATA\\x"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"", L"\\\\server\\share"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(nullptr, L"C:\\x"), 0);
    EXPECT_EQ(CSyncJobList::IsPathBelow(L"C:\\x", nullptr), 0);
}

TEST_F(PathMatch, OfficeTemporarySaveOfADocumentMatchesNoJob)
{
    WriteStore(StoreXml(JobXml(L"J", L"u1", Enabled(), Folder(L"C:\\Data\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\report.doc", L"C:\\Data\\~WRL0001.tmp", kDest), nullptr);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\report.txt", L"C:\\Data\\report.tmp", kDest), list.GetAt(0));
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\report.doc", L"", kDest), list.GetAt(0));
}

TEST_F(PathMatch, TwoWayJobTakesChangesUnderItsDestinationOrSourcesWhateverItsState)
{
    WriteStore(
        StoreXml(JobXml(L"Two", L"u1", L"state=\"0\" sync_type=\"2\" dest=\"F:\\Mirror\\\"", Folder(L"G:\\Work\\")) +
                 JobXml(L"Plain", L"u2", Enabled(L"F:\\Mirror\\"), Folder(L"F:\\Mirror\\"))));
    CSyncJobList list;
    CSyncJob *twoWay = list.GetAt(0);
    twoWay->m_runState = JOB_BUSY;
    EXPECT_EQ(list.IsPathInJob(L"F:\\Mirror\\a.txt", L"", L"no such key"), twoWay);
    EXPECT_EQ(list.IsPathInJob(L"F:\\Mirror\\a.txt", L"", L"F:\\Mirror\\"), twoWay);
    EXPECT_EQ(list.IsPathInJob(L"g:\\work\\b.txt", L"", L"Z:\\"), twoWay);
    EXPECT_EQ(list.IsPathInJob(L"H:\\Else\\b.txt", L"", L"F:\\Mirror\\"), nullptr);
}

TEST_F(PathMatch, OnlyEnabledIdleJobsOfTheMatchedDestinationAreCandidates)
{
    WriteStore(StoreXml(JobXml(L"J", L"u1", Enabled(), Folder(L"C:\\Data\\"))));
    CSyncJobList list;
    CSyncJob *job = list.GetAt(0);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", L"e:\\backup\\"), job);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", L"E:\\Other\\"), nullptr);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Elsewhere\\x.txt", L"", kDest), nullptr);
    job->m_runState = JOB_BUSY;
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", kDest), nullptr);
    job->m_runState = JOB_IDLE;
    job->GetJobDef()->SetState(0);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", kDest), nullptr);
}

TEST_F(PathMatch, MailStoreMatchesItsFileIgnoringCase)
{
    WriteStore(StoreXml(JobXml(L"Mail", L"u1", Enabled(), Folder(L"C:\\Mail\\Inbox.pst\\"))));
    CSyncJobList list;
    EXPECT_EQ(list.IsPathInJob(L"c:\\mail\\inbox.pst", L"", kDest), list.GetAt(0));
    EXPECT_EQ(list.IsPathInJob(L"C:\\Mail\\Other.pst", L"", kDest), nullptr);
}

TEST_F(PathMatch, LongPathPrefixIsComparedWithoutIt)
{
    WriteStore(StoreXml(JobXml(L"Mail", L"u1", Enabled(), Folder(L"C:\\Mail\\Inbox.pst\\")) +
                        JobXml(L"Folder", L"u2", Enabled(), Folder(L"C:\\Data\\")) +
                        JobXml(L"Files", L"u3", Enabled(), Files(L"C:\\Docs\\", {L"C:\\Docs\\a.txt"}))));
    CSyncJobList list;
    EXPECT_EQ(list.IsPathInJob(L"\\\\?\\C:\\Mail\\Inbox.pst", L"", kDest), list.GetAt(0));
    EXPECT_EQ(list.IsPathInJob(L"\\\\?\\C:\\Data\\x.txt", L"", kDest), list.GetAt(1));
    EXPECT_EQ(list.IsPathInJob(L"\\\\?\\C:\\Docs\\a.txt", L"", kDest), list.GetAt(2));
}

TEST_F(PathMatch, FileListedByNameMatchesOnlyItselfAndFollowsARename)
{
    WriteStore(StoreXml(JobXml(L"Files", L"u1", Enabled(), Files(L"C:\\Data\\", {L"C:\\Data\\a.txt"}))));
    {
        CSyncJobList list;
        CSyncJob *job = list.GetAt(0);
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\b.txt", L"", kDest), nullptr);
        // Case counts for a listed file.
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\A.TXT", L"", kDest), nullptr);
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\a.txt", L"", kDest), job);
        EXPECT_EQ(Sources(job), Paths{L"C:\\Data\\a.txt"});

        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\a.txt", L"C:\\Data\\c.txt", kDest), job);
        EXPECT_EQ(Sources(job), Paths{L"C:\\Data\\c.txt"});
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\a.txt", L"", kDest), nullptr);
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\c.txt", L"", kDest), job);

        // A rename into another folder gives that folder its own source entry.
        EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\c.txt", L"C:\\Moved\\c.txt", kDest), job);
        EXPECT_EQ(Sources(job), Paths{L"C:\\Moved\\c.txt"});
        list.Save();
    }
    EXPECT_EQ(StoredSources(L"Files"), Paths{L"C:\\Moved\\c.txt"});
    CSyncJobList reloaded;
    EXPECT_EQ(reloaded.IsPathInJob(L"C:\\Moved\\c.txt", L"", kDest), reloaded.GetAt(0));
    EXPECT_EQ(reloaded.IsPathInJob(L"C:\\Data\\a.txt", L"", kDest), nullptr);
}

TEST_F(PathMatch, FirstMatchingJobInCollectionOrderWins)
{
    WriteStore(StoreXml(JobXml(L"Busy", L"u0", Enabled(), Folder(L"C:\\Data\\")) +
                        JobXml(L"One", L"u1", Enabled(), Folder(L"C:\\Data\\")) +
                        JobXml(L"Two", L"u2", Enabled(), Folder(L"C:\\Data\\"))));
    CSyncJobList list;
    list.GetAt(0)->m_runState = JOB_BUSY;
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", kDest), list.GetAt(1));
    list.MoveToFront(2);
    EXPECT_EQ(list.IsPathInJob(L"C:\\Data\\x.txt", L"", kDest), list.GetAt(0));
    EXPECT_EQ(list.GetAt(0)->GetJobDef()->GetName(), L"Two");
}

TEST_F(PathMatch, MailStoreSourceIsFoundAmongAJobsSources)
{
    WriteStore(StoreXml(JobXml(L"J", L"u1", Enabled(), Folder(L"C:\\Data\\") + Folder(L"C:\\Mail\\Inbox.pst\\"))));
    CSyncJobList list;
    IXMLDOMElementPtr store = CSyncJobList::FindMailStoreSource(list.GetAt(0)->GetJobDef()->GetElement());
    ASSERT_TRUE(store);
    EXPECT_EQ(XmlGetAttributeString(store, L"path"), L"C:\\Mail\\Inbox.pst\\");
    WriteStore(StoreXml(JobXml(L"K", L"u2", Enabled(), Folder(L"C:\\Mail\\Inbox.PST\\"))));
    CSyncJobList other;
    EXPECT_FALSE(CSyncJobList::FindMailStoreSource(other.GetAt(0)->GetJobDef()->GetElement()));
}
