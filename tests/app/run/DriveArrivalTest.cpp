// Drives that come and go: the walk over a job store when a drive arrives, with test drives that carry identity
// markers.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "app/run/DriveArrival.h"
#include "engine/continuous/DirectoryWatch.h"
#include "engine/job/SyncJob.h"
#include "engine/program/DriveMarker.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SyncJobList.h"
#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "support/TestDrive.h"

namespace
{

using enginetest::TestDrive;

struct RecordingWatch : IDirectoryWatch
{
    DWORD AddWatch(LPCWSTR folder, DWORD filter, CDirectoryChangeHandler *, BOOL subtree) override
    {
        added.push_back(folder);
        EXPECT_EQ(filter, kArrivedSourceWatchFilter);
        EXPECT_TRUE(subtree);
        return 0;
    }
    BOOL RemoveWatch(LPCWSTR) override
    {
        return FALSE;
    }
    BOOL IsWatching(LPCWSTR) const override
    {
        return FALSE;
    }
    std::vector<CString> added;
};

class DriveArrival : public enginetest::EngineTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(EngineTest::SetUp());
        m_savedDataFolder = g_strDataFolder;
        // The markers lie in this folder of each drive.
        g_strDataFolder = L"Z:\\Velbrook\\";
        ASSERT_TRUE(::CreateDirectoryW((m_drives / L"one").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_drives / L"two").c_str(), nullptr));
        m_f = std::make_unique<TestDrive>(L'F', m_drives / L"one\\");
        m_g = std::make_unique<TestDrive>(L'G', m_drives / L"two\\");
        ASSERT_EQ(m_f->Error(), L"");
        ASSERT_EQ(m_g->Error(), L"");
        ASSERT_TRUE(GetOrCreateDestinationDriveId(L'f', m_one));
        ASSERT_TRUE(GetOrCreateDestinationDriveId(L'g', m_two));
    }
    void TearDown() override
    {
        m_jobs.reset();
        m_h.reset();
        m_g.reset();
        m_f.reset();
        g_strDataFolder = m_savedDataFolder;
        EngineTest::TearDown();
    }

    // The store of the test's jobs; drive "one" was E: when they were made.
    void LoadJobs()
    {
        const CStringA one(m_one);
        const CStringA two(m_two);
        const std::string store = std::string("<Tessel xmlns=\"ORVANE\">") +
                                  "<jobdef name=\"Moved\" state=\"1\" js_type=\"1\" dest=\"E:\\Backup\\\" uuid=\"" +
                                  one.GetString() + "\"><src path=\"E:\\Docs\\\" uuid=\"" + one.GetString() +
                                  "\"/></jobdef>" +
                                  "<jobdef name=\"Mixed\" state=\"1\" js_type=\"0\" dest=\"E:\\Mixed\\\" uuid=\"" +
                                  one.GetString() + "\"><src path=\"G:\\Pictures\\\" uuid=\"" + two.GetString() +
                                  "\"/><src path=\"E:\\Music\\\" uuid=\"" + one.GetString() + "\"/></jobdef>" +
                                  "<jobdef name=\"Off\" state=\"0\" js_type=\"1\" dest=\"E:\\Off\\\" uuid=\"" +
                                  one.GetString() + "\"/>" + "</Tessel>";
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", store));
        m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
        ASSERT_EQ(m_jobs->GetCount(), 3);
    }

    void Arrive(wchar_t letter)
    {
        DriveArrivalActions actions;
        actions.watch = &m_watch;
        actions.setJobEnabled = [this](CSyncJob *job, BOOL enable, BOOL) {
            m_enabled.push_back(job->GetJobDef()->GetName());
            EXPECT_TRUE(enable);
        };
        actions.startIdleJob = [this](CSyncJob *job) { m_started.push_back(job->GetJobDef()->GetName()); };
        SeamOverride<MessageBoxAnswer> answer(g_messageBoxAnswer, [this](UINT, const CString &text, UINT flags) {
            m_questions.push_back(text);
            EXPECT_EQ(flags & 0xF, static_cast<UINT>(MB_YESNO));
            return IDNO;
        });
        ApplyDriveArrival(*m_jobs, letter, actions);
    }

    static CString SourcePath(CSyncJob *job, int index)
    {
        XmlElementIterator sources(job->GetElement());
        for (int i = 0; sources.Next(); ++i)
        {
            if (i == index)
                return XmlGetAttributeString(sources.GetElement(), L"path");
        }
        return CString();
    }

    testsupport::TempFolder m_drives;
    std::unique_ptr<TestDrive> m_f, m_g, m_h;
    CString m_one, m_two;
    std::unique_ptr<CSyncJobList> m_jobs;
    RecordingWatch m_watch;
    std::vector<CString> m_enabled, m_started, m_questions;

  private:
    CString m_savedDataFolder;
};

TEST_F(DriveArrival, JobsFollowTheirDriveToItsNewLetters)
{
    ASSERT_NO_FATAL_FAILURE(LoadJobs());
    CSyncJob *moved = m_jobs->GetAt(0);
    CSyncJob *mixed = m_jobs->GetAt(1);
    CSyncJob *off = m_jobs->GetAt(2);

    Arrive(L'f');
    EXPECT_EQ(SourcePath(moved, 0), L"F:\\Docs\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"F:\\Backup\\");
    EXPECT_EQ(moved->GetJobDef()->GetUuid(), m_one) << "the destination keeps its drive's identity";
    EXPECT_EQ(XmlGetAttributeString(moved->GetElement(), L"uuid"), m_one);
    EXPECT_EQ(moved->GetJobDef()->GetHasSrc(), 1);
    // A source on another present drive does not stop the walk over the job's later sources.
    EXPECT_EQ(SourcePath(mixed, 0), L"G:\\Pictures\\");
    EXPECT_EQ(SourcePath(mixed, 1), L"F:\\Music\\");
    EXPECT_EQ(mixed->GetJobDef()->GetDest(), L"F:\\Mixed\\");
    EXPECT_EQ(m_watch.added, std::vector<CString>{L"F:\\Music\\"}) << "only the on-change job's arrived source";
    // The disabled job is asked about, and No leaves it disabled.
    EXPECT_EQ(off->GetJobDef()->GetDest(), L"F:\\Off\\");
    EXPECT_EQ(m_questions, std::vector<CString>{kAskEnableJob});
    EXPECT_EQ(off->GetJobDef()->GetState(), 0);
    EXPECT_EQ(m_enabled, (std::vector<CString>{L"Moved", L"Mixed"}));
    EXPECT_EQ(m_started, std::vector<CString>{L"Mixed"}) << "only an on-change job is started";

    // The drive comes back under yet another letter: the jobs follow it again.
    ASSERT_TRUE(m_f->Remove());
    m_h = std::make_unique<TestDrive>(L'H', m_drives / L"one\\");
    ASSERT_EQ(m_h->Error(), L"");
    Arrive(L'h');
    EXPECT_EQ(SourcePath(moved, 0), L"H:\\Docs\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"H:\\Backup\\");
    EXPECT_EQ(mixed->GetJobDef()->GetDest(), L"H:\\Mixed\\");

    // A drive that holds none of the jobs' identities changes nothing.
    Arrive(L'g');
    EXPECT_EQ(SourcePath(mixed, 0), L"G:\\Pictures\\");
    EXPECT_EQ(moved->GetJobDef()->GetDest(), L"H:\\Backup\\");
}

TEST_F(DriveArrival, ASourceWithoutIdentityGetsItsDrivesMarker)
{
    const std::string store = "<Tessel xmlns=\"ORVANE\"><jobdef name=\"New\" state=\"1\" dest=\"G:\\Out\\\">"
                              "<src path=\"G:\\Docs\\\"/><src path=\"\\\\server\\share\\\"/></jobdef></Tessel>";
    ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", store));
    m_jobs = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
    ASSERT_EQ(m_jobs->GetCount(), 1);
    IXMLDOMElementPtr first, second;
    {
        XmlElementIterator sources(m_jobs->GetAt(0)->GetElement());
        ASSERT_TRUE(sources.Next());
        first = sources.GetElement();
        ASSERT_TRUE(sources.Next());
        second = sources.GetElement();
    }
    EXPECT_EQ(EnsureSourceDriveId(first), m_two);
    EXPECT_EQ(XmlGetAttributeString(first, L"uuid"), m_two);
    EXPECT_EQ(XmlGetAttributeString(first, L"hassrc"), L"1");
    EXPECT_EQ(EnsureSourceDriveId(second), L"") << "no drive letter, no marker";
    EXPECT_EQ(XmlGetAttributeString(second, L"uuid"), L"");
}

} // namespace
