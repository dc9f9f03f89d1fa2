// Adding the pending paths of a "--select" request to an existing job (the job selection dialog's OK), without
// windows: what the store's file holds afterwards, the messages, and the run the job is given.
#include <gtest/gtest.h>

#include <vector>

#include "engine/job/SyncJob.h"
#include "outside/Phrasel/PhraselIds.h"
#include "setup/jobdialogs/PendingSources.h"
#include "setup/support/JobSetupTestSupport.h"

using enginetest::ChildElements;

namespace
{

class PendingSources : public setuptest::JobSetupTest
{
  protected:
    PendingSourcesResult Add(CSyncJob *job, const std::vector<CString> &paths)
    {
        m_main->m_pendingSources.RemoveAll();
        for (const CString &path : paths)
            m_main->m_pendingSources.Add(path);
        return AddPendingSources(*job, m_main->m_pendingSources, *m_main);
    }
    // The stored job's sources: each "src" path with its "rapid", then its files.
    std::vector<CString> StoredSources(size_t job = 0)
    {
        std::vector<CString> lines;
        const auto stored = StoredJobs();
        if (job >= stored.size())
            return lines;
        for (const IXMLDOMElementPtr &source : ChildElements(stored[job], L"src"))
        {
            lines.push_back(XmlGetAttributeString(source, L"path") + L" rapid=" +
                            XmlGetAttributeString(source, L"rapid"));
            for (const IXMLDOMElementPtr &file : ChildElements(source, L"file"))
                lines.push_back(L"  " + XmlGetAttributeString(file, L"path"));
        }
        return lines;
    }
    CString Folder(LPCWSTR name)
    {
        const std::wstring path = m_folder / name;
        ::CreateDirectoryW(path.c_str(), nullptr);
        return CString(path.c_str()) + L"\\";
    }
};

} // namespace

TEST_F(PendingSources, PathsAddedBeforeARefusalAreSaved)
{
    const CString a = Folder(L"a");
    const CString b = Folder(L"b");
    const std::wstring file = m_folder / L"note.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    CSyncJob *mirror = AddJob(L"Mirror", L"E:\\Mirror\\", {{L"sync_type", L"2"}});
    const PendingSourcesResult notFolder = Add(mirror, {a, CString(file.c_str()), b});
    EXPECT_EQ(notFolder.refusedWith, static_cast<UINT>(IDS_SOURCES_MUST_BE_FOLDERS));
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_SOURCES_MUST_BE_FOLDERS});
    EXPECT_EQ(m_main->m_pendingSources.GetSize(), 0);
    EXPECT_TRUE(notFolder.saved);
    EXPECT_EQ(StoredSources(), std::vector<CString>{a + L" rapid=0"});

    m_asked.clear();
    CSyncJob *backup = AddJob(L"Backup", L"E:\\Backup\\");
    const PendingSourcesResult atDest = Add(backup, {L"C:\\Docs\\", L"E:\\Backup\\", L"C:\\More\\"});
    EXPECT_EQ(atDest.refusedWith, static_cast<UINT>(IDS_PATH_COLLIDES_WITH_DEST));
    EXPECT_EQ(AskedIds(), std::vector<UINT>{IDS_PATH_COLLIDES_WITH_DEST});
    EXPECT_EQ(m_main->m_pendingSources.GetSize(), 0);
    EXPECT_EQ(StoredSources(1), std::vector<CString>{L"C:\\Docs\\ rapid=0"});
}

TEST_F(PendingSources, TheDestinationAndWhatHoldsOrLiesInItAreRefused)
{
    const struct
    {
        LPCWSTR path;
        LPCWSTR retainFullPath;
        bool refused;
    } rows[] = {
        {L"e:\\backup\\", L"0", true},      // the destination in other letter case
        {L"E:\\BACKUP", L"1", true},        // without its backslash, whatever the job keeps
        {L"E:\\", L"1", true},              // holds the destination
        {L"E:\\Backup\\sub\\", L"0", true}, // inside it, while the job does not keep full paths
        {L"E:\\Backup\\sub\\", L"1", false},
        {L"E:\\Backup2\\", L"0", false}, // a namesake beside it
    };
    for (const auto &row : rows)
    {
        m_asked.clear();
        CSyncJob *job = AddJob(L"Job", L"E:\\Backup\\", {{L"retain_full_path", row.retainFullPath}});
        const PendingSourcesResult result = Add(job, {row.path});
        EXPECT_EQ(result.refusedWith != 0, row.refused) << CStringA(row.path).GetString();
        EXPECT_EQ(result.changed != FALSE, !row.refused) << CStringA(row.path).GetString();
        EXPECT_EQ(AskedIds(), row.refused ? std::vector<UINT>{IDS_PATH_COLLIDES_WITH_DEST} : std::vector<UINT>{})
            << CStringA(row.path).GetString();
    }
}

TEST_F(PendingSources, ACoveredPathIsPassedOverAndAParentFolderAdded)
{
    CSyncJob *job = AddJob(L"Job", L"E:\\Backup\\");
    job->GetJobDef()->AddSource(L"C:\\Data\\", nullptr, TRUE);
    job->GetJobDef()->FindSource(L"C:\\Mail\\", L"inbox.pst");
    const PendingSourcesResult covered =
        Add(job, {L"c:\\data\\", L"C:\\DATA\\Sub\\", L"C:\\Data\\file.txt", L"C:\\mail\\INBOX.PST"});
    EXPECT_FALSE(covered.changed);
    EXPECT_TRUE(covered.saved);
    EXPECT_FALSE(covered.queued);
    EXPECT_TRUE(m_main->m_updatedJobs.empty());
    EXPECT_EQ(StoredSources(),
              (std::vector<CString>{L"C:\\Data\\ rapid=0", L"C:\\Mail\\ rapid=", L"  C:\\Mail\\inbox.pst"}));

    // A folder holding a source is no part of it: it is added (with everything it holds).
    const PendingSourcesResult parent = Add(job, {L"C:\\Mail\\other.pst", L"C:\\"});
    EXPECT_TRUE(parent.changed);
    EXPECT_EQ(StoredSources(),
              (std::vector<CString>{L"C:\\Data\\ rapid=0", L"C:\\Mail\\ rapid=", L"  C:\\Mail\\inbox.pst",
                                    L"  C:\\Mail\\other.pst", L"C:\\ rapid=0"}));
    EXPECT_EQ(m_main->m_updatedJobs, std::vector<CJobDef *>{job->GetJobDef()});
}

TEST_F(PendingSources, AddedSourcesAreTakenWholeWhateverTheFilters)
{
    // The job's include and exclude texts are empty: a source the run filtered would copy nothing.
    CSyncJob *job = AddJob(L"Job", L"E:\\Backup\\");
    const PendingSourcesResult result = Add(job, {L"C:\\Photos\\", L"C:\\Notes\\todo.txt", L"C:\\Notes\\more.txt"});
    EXPECT_TRUE(result.changed);
    EXPECT_EQ(StoredSources(), (std::vector<CString>{L"C:\\Photos\\ rapid=0", L"C:\\Notes\\ rapid=0",
                                                     L"  C:\\Notes\\todo.txt", L"  C:\\Notes\\more.txt"}));
}

TEST_F(PendingSources, OnlyAnEnabledJobThatChangedIsRun)
{
    CSyncJob *disabled = AddJob(L"Off", L"E:\\Off\\", {{L"state", L"0"}});
    const PendingSourcesResult off = Add(disabled, {L"C:\\Data\\"});
    EXPECT_TRUE(off.changed);
    EXPECT_FALSE(off.queued);
    CSyncJob *enabled = AddJob(L"On", L"E:\\On\\");
    const PendingSourcesResult none = Add(enabled, {});
    EXPECT_FALSE(none.changed);
    EXPECT_TRUE(none.saved);
    EXPECT_FALSE(none.queued);
    const PendingSourcesResult on = Add(enabled, {L"C:\\Data\\"});
    EXPECT_TRUE(on.queued);
    // No worker is installed: the one run ends at once.
    WaitForRunEnds(1);
    const auto ends = m_main->EndMessages();
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].job, enabled);
}
