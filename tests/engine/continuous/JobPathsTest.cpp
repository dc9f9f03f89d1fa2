// The job path check with a watcher double: which folders are watched and which jobs are queued.
#include <algorithm>
#include <cwctype>

#include "ContinuousTestSupport.h"
#include "engine/continuous/JobPaths.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/SyncJobList.h"

using namespace continuoustest;

namespace
{

// A folder as the watcher compares it: upper-cased, without trailing backslashes.
std::wstring Key(std::wstring folder)
{
    folder.erase(folder.find_last_not_of(L'\\') + 1);
    std::transform(folder.begin(), folder.end(), folder.begin(), ::towupper);
    return folder;
}

struct FakeWatch : IDirectoryWatch
{
    DWORD AddWatch(LPCWSTR folder, DWORD filter, CDirectoryChangeHandler *, BOOL subtree) override
    {
        keys.push_back(filter == kJobWatchFilter && subtree ? Key(folder) : L"?");
        return 0;
    }
    BOOL RemoveWatch(LPCWSTR folder) override
    {
        keys.erase(std::remove(keys.begin(), keys.end(), Key(folder)), keys.end());
        return TRUE;
    }
    BOOL IsWatching(LPCWSTR folder) const override
    {
        return std::count(keys.begin(), keys.end(), Key(folder)) > 0;
    }
    std::vector<std::wstring> keys;
};

struct QueueRecorder : FakeMainWindow
{
    BOOL RunJobNow(CSyncJob *job, int argument) override
    {
        queued.push_back(argument == 1 ? job : nullptr);
        return TRUE;
    }
    std::vector<CSyncJob *> queued;
};

std::wstring Src(const std::wstring &path, const std::wstring &destination = L"")
{
    return L"<src path=\"" + path + L"\" destination=\"" + destination + L"\"/>";
}

class JobPaths : public ContinuousTest
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ContinuousTest::SetUp());
        m_window.reset();
        m_window = std::make_unique<QueueRecorder>();
        m_savedStore = g_strJobsXmlPath;
        g_strJobsXmlPath = (m_folder / L"Zel.xml").c_str();
    }
    void TearDown() override
    {
        m_list.reset();
        g_strJobsXmlPath = m_savedStore;
        ContinuousTest::TearDown();
    }
    // Loads a store of jobs, each given as its attributes and "src" children.
    void Load(const std::vector<std::pair<std::wstring, std::wstring>> &jobs)
    {
        std::wstring xml = L"<Tessel xmlns=\"ORVANE\">";
        for (const auto &[attributes, sources] : jobs)
            xml += L"<jobdef dest=\"" + m_b + L"\" state=\"1\" " + attributes + L">" + sources + L"</jobdef>";
        ASSERT_TRUE(testsupport::WriteFileBytes(g_strJobsXmlPath.GetString(),
                                                CStringA((xml + L"</Tessel>").c_str()).GetString()));
        m_list = std::make_unique<CSyncJobList>(g_strJobsXmlPath, (m_folder / L"Zel.ini").c_str());
    }
    void Check(int index)
    {
        CheckJobPaths(*m_list->GetAt(index), m_watch, nullptr, m_window.get());
    }
    const std::vector<CSyncJob *> &Queued()
    {
        return static_cast<QueueRecorder *>(m_window.get())->queued;
    }

    FakeWatch m_watch;
    std::unique_ptr<CSyncJobList> m_list;
    CString m_savedStore;
};

} // namespace

TEST_F(JobPaths, MailStoreFolderAndOnlyExistingDestinationsAreWatchedANeverRunJobIsQueued)
{
    ::CreateDirectoryW((m_folder / L"Mail").c_str(), nullptr);
    Load({{L"name=\"Two\" js_type=\"0\" sync_type=\"2\" neverrun=\"true\"",
           Src(m_folder / L"Mail\\Inbox.pst\\", m_b + L"mail") + Src(m_a, m_folder / L"missing\\") +
               Src(m_a + L"x\\", m_b)}});
    Check(0);
    EXPECT_EQ(m_watch.keys, (std::vector<std::wstring>{Key(m_folder / L"Mail"), Key(m_a), Key(m_a + L"x"), Key(m_b)}));
    EXPECT_TRUE(m_list->GetAt(0)->m_watchFlag);
    EXPECT_EQ(Queued(), std::vector<CSyncJob *>{m_list->GetAt(0)});
}

TEST_F(JobPaths, ScheduledJobsAreQueuedAlsoBeforeTheirFirstRun)
{
    // An interval job whose first backup was put off has only its schedule to run it.
    Load({{L"name=\"MinutesNew\" js_type=\"1\" neverrun=\"true\"", Src(m_a)},
          {L"name=\"WeeklyNew\" js_type=\"2\" neverrun=\"true\"", Src(m_a)},
          {L"name=\"MinutesRan\" js_type=\"1\" neverrun=\"2020-05-17 14:03:22\"", Src(m_a)}});
    for (int i = 0; i < 3; ++i)
        Check(i);
    EXPECT_EQ(Queued(), (std::vector<CSyncJob *>{m_list->GetAt(0), m_list->GetAt(1), m_list->GetAt(2)}));
    EXPECT_TRUE(m_watch.keys.empty());
}

TEST_F(JobPaths, TwoJobsShareOneWatchUntilBothAreDisabled)
{
    Load({{L"name=\"One\" js_type=\"0\"", Src(m_a)}, {L"name=\"Two\" js_type=\"0\"", Src(m_a)}});
    Check(0);
    Check(1);
    EXPECT_EQ(m_watch.keys, std::vector<std::wstring>{Key(m_a)});
    // The store as saved tells whether the other job still needs the folder.
    for (int i = 0; i < 2; ++i)
    {
        m_list->GetAt(i)->Disable();
        m_list->Save();
        Check(i);
        EXPECT_FALSE(m_list->GetAt(i)->m_watchFlag);
        EXPECT_EQ(m_watch.keys.size(), i == 0 ? 1u : 0u);
    }
}
