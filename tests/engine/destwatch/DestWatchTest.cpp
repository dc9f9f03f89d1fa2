// The destination-watch thread over a job collection, with a network that the test machine does not have:
// drive letters that an injected CNetPathPlatform calls remote, one of them a test drive that answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/destwatch/DestinationWatch.h"
#include "engine/job/SyncJob.h"
#include "engine/program/NetPath.h"
#include "engine/program/ProgramObjects.h"
#include "engine/store/JobDef.h"
#include "engine/store/SyncJobList.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "support/TestDrive.h"

using namespace enginetest;

namespace
{

const DWORD kCycle = 50;
const wchar_t kShareLetter = L'R';

class FakeNetwork : public CNetPathPlatform
{
  public:
    std::set<wchar_t> remote;                                // letters the system calls remote
    std::map<wchar_t, std::pair<DWORD, std::wstring>> known; // letter -> answer and remembered remote name

    // The first question about blockLetter after arming waits until go is set (the probe stands still).
    std::atomic<bool> armed{false};
    wchar_t blockLetter = 0;
    CKernelHandle probing{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CKernelHandle go{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    UINT DriveType(LPCWSTR root) override
    {
        const wchar_t letter = static_cast<wchar_t>(towupper(root[0]));
        if (letter == blockLetter && armed.exchange(false))
        {
            ::SetEvent(probing.Get());
            ::WaitForSingleObject(go.Get(), 30000);
        }
        return remote.count(letter) ? DRIVE_REMOTE : CNetPathPlatform::DriveType(root);
    }
    DWORD RemoteName(LPCWSTR localName, LPWSTR remoteName, LPDWORD length) override
    {
        auto found = known.find(static_cast<wchar_t>(towupper(localName[0])));
        if (found == known.end())
            return ERROR_NOT_CONNECTED;
        if (found->second.second.size() + 1 > *length)
            return ERROR_MORE_DATA;
        wcscpy(remoteName, found->second.second.c_str());
        return found->second.first;
    }
    DWORD Reconnect(LPCWSTR localName, LPCWSTR remoteName) override
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_reconnects.emplace_back(localName, remoteName);
        return ERROR_NO_NETWORK;
    }

    std::vector<std::pair<std::wstring, std::wstring>> Reconnects()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_reconnects;
    }

  private:
    std::mutex m_lock;
    std::vector<std::pair<std::wstring, std::wstring>> m_reconnects;
};

// The main window: a run it is asked for marks the job busy, as the dialog's queuing does, and is counted.
class RecordingWindow : public FakeMainWindow
{
  public:
    BOOL RunJobNow(CSyncJob *job, int argument) override
    {
        if (job->m_runState != JOB_IDLE)
            return TRUE;
        runs.emplace_back(job, argument);
        job->m_runState = JOB_BUSY;
        return TRUE;
    }
    size_t RequestsFor(CSyncJob *job) const
    {
        size_t count = 0;
        for (CSyncJob *requested : RunRequests())
            count += requested == job ? 1 : 0;
        return count;
    }

    std::vector<std::pair<CSyncJob *, int>> runs;
};

DWORD NoConnection(HWND, LPCWSTR)
{
    return ERROR_NO_NETWORK;
}

class DestWatch : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_com.Succeeded());
        UseLanguageLibrary();
        m_savedLog = g_strLogPath;
        m_savedData = g_strDataFolder;
        g_strLogPath = (m_folder / L"Zel.log").c_str();
        g_strDataFolder = m_folder.Path().c_str();
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"share").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"share\\backup").c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW((m_folder / L"local").c_str(), nullptr));
        m_drive = std::make_unique<TestDrive>(kShareLetter, m_folder / L"share\\");
        ASSERT_TRUE(m_drive->Error().empty()) << CStringA(m_drive->Error().c_str()).GetString();
        m_network.remote = {kShareLetter, L'Q', L'S'};
        m_network.known[L'Q'] = {ERROR_CONNECTION_UNAVAIL, L"\\\\server\\share"};
    }
    void TearDown() override
    {
        StopDestinationWatch();
        m_window.reset();
        m_list.reset();
        SetXmlStoreDocument(nullptr);
        m_drive.reset();
        g_strLogPath = m_savedLog;
        g_strDataFolder = m_savedData;
    }

    // A job of the store: its name, destination, further attributes and its one source.
    static std::wstring Job(const std::wstring &name, const std::wstring &dest, const std::wstring &attributes,
                            const std::wstring &source)
    {
        static int uuid = 0;
        return L"<jobdef name=\"" + name + L"\" JobUUID=\"{" + std::to_wstring(++uuid) + L"}\" dest=\"" + dest +
               L"\" " + attributes + L"><src path=\"" + source + L"\"/></jobdef>";
    }
    // Writes the store, loads the collection and makes the main window that holds it.
    void LoadJobs(const std::wstring &jobs)
    {
        const std::wstring xml = L"<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\">" + jobs + L"</Tessel>";
        const CStringA bytes(xml.c_str());
        ASSERT_TRUE(testsupport::WriteFileBytes(m_folder / L"Zel.xml", bytes.GetString()));
        m_list = std::make_unique<CSyncJobList>((m_folder / L"Zel.xml").c_str(), (m_folder / L"Zel.ini").c_str());
        m_window = std::make_unique<RecordingWindow>();
        m_window->m_jobList = m_list.get();
    }
    CSyncJob *JobNamed(const std::wstring &name) const
    {
        for (INT_PTR i = 0; i < m_list->GetCount(); ++i)
        {
            if (m_list->GetAt(i)->GetJobDef()->GetName() == name.c_str())
                return m_list->GetAt(i);
        }
        ADD_FAILURE() << "no job " << CStringA(name.c_str()).GetString();
        return nullptr;
    }
    static std::wstring Attribute(CSyncJob *job, LPCWSTR name)
    {
        return XmlGetAttributeString(job->GetElement(), name).GetString();
    }
    // Lets the thread run its cycles while the window takes its messages.
    void RunCycles(int cycles)
    {
        m_window->PumpUntil([] { return false; }, kCycle * cycles);
    }

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    FakeNetwork m_network;
    SeamOverride<CNetPathPlatform *> m_platform{g_netPathPlatform, &m_network};
    SeamOverride<DestinationConnectFunction> m_connect{g_pfnConnectDestination, &NoConnection};
    std::unique_ptr<TestDrive> m_drive;
    std::unique_ptr<CSyncJobList> m_list;
    std::unique_ptr<RecordingWindow> m_window;

  private:
    CString m_savedLog;
    CString m_savedData;
};

TEST_F(DestWatch, WaitingJobRunsOnceAllItsNetworkPathsAnswer)
{
    const std::wstring local = m_folder / L"local";
    LoadJobs(Job(L"Answers", L"R:\\backup", L"complete_status=\"2\" state=\"0\"", local) +
             Job(L"Local", local, L"complete_status=\"2\" error_code=\"7\"", local) +
             Job(L"SourceAway", L"R:\\backup", L"complete_status=\"2\"", L"S:\\data\\") +
             Job(L"Reconnects", L"Q:\\backup", L"complete_status=\"2\"", local) +
             Job(L"Finished", L"R:\\backup", L"complete_status=\"1\" error_code=\"7\"", local) +
             Job(L"Busy", L"R:\\backup", L"complete_status=\"2\" error_code=\"7\"", local));
    CSyncJob *answers = JobNamed(L"Answers");
    CSyncJob *busy = JobNamed(L"Busy");
    busy->m_runState = JOB_BUSY;
    answers->m_cancelFlag = TRUE;
    answers->m_networkRetry = TRUE;

    ASSERT_TRUE(StartDestinationWatch(kCycle));
    RunCycles(8);
    StopDestinationWatch();

    // Started once, enabled, its flags cleared; every other job asked for nothing.
    ASSERT_EQ(m_window->runs.size(), 1u);
    EXPECT_EQ(m_window->runs[0], std::make_pair(answers, 1));
    EXPECT_EQ(m_window->RunRequests(), std::vector<CSyncJob *>{answers});
    EXPECT_EQ(Attribute(answers, L"error_code"), L"0");
    EXPECT_EQ(Attribute(answers, L"state"), L"1");
    EXPECT_EQ(answers->GetJobDef()->GetState(), 1);
    EXPECT_FALSE(answers->m_cancelFlag.Get());
    EXPECT_FALSE(answers->m_networkRetry.Get());

    // A job without a network path, a finished one and a busy one are never touched.
    for (const wchar_t *name : {L"Local", L"Finished", L"Busy"})
        EXPECT_EQ(Attribute(JobNamed(name), L"error_code"), L"7") << CStringA(name).GetString();

    // One network path away is enough to wait: the source here, a destination reconnected for the next cycle.
    CSyncJob *sourceAway = JobNamed(L"SourceAway");
    EXPECT_EQ(Attribute(sourceAway, L"error_code"), L"-1");
    EXPECT_TRUE(sourceAway->m_networkRetry.Get());
    CSyncJob *reconnects = JobNamed(L"Reconnects");
    EXPECT_EQ(Attribute(reconnects, L"error_code"), L"-1");
    const auto reconnected = m_network.Reconnects();
    ASSERT_FALSE(reconnected.empty());
    for (const auto &call : reconnected)
        EXPECT_EQ(call, std::make_pair(std::wstring(L"Q:"), std::wstring(L"\\\\server\\share")));
}

TEST_F(DestWatch, JobRemovedDuringItsProbeIsLeftAlone)
{
    LoadJobs(Job(L"Removed", L"R:\\backup", L"complete_status=\"2\"", m_folder / L"local"));
    CSyncJob *removed = JobNamed(L"Removed");
    m_network.blockLetter = kShareLetter;
    m_network.armed = true;

    ASSERT_TRUE(StartDestinationWatch(kCycle));
    ASSERT_EQ(::WaitForSingleObject(m_network.probing.Get(), 10000), WAIT_OBJECT_0);
    m_list->RemoveJob(removed);
    ::SetEvent(m_network.go.Get());
    RunCycles(6);
    StopDestinationWatch();

    EXPECT_EQ(m_list->GetCount(), 0);
    EXPECT_TRUE(m_window->RunRequests().empty());
    EXPECT_TRUE(m_window->runs.empty());
}

TEST_F(DestWatch, StopReturnsWithoutWaitingOutTheCycle)
{
    LoadJobs(Job(L"Answers", L"R:\\backup", L"complete_status=\"2\"", m_folder / L"local"));
    ASSERT_TRUE(StartDestinationWatch());
    EXPECT_FALSE(StartDestinationWatch());
    // The first cycle runs at once.
    EXPECT_TRUE(m_window->PumpUntil([this] { return !m_window->runs.empty(); }, 5000));

    const DWORD start = ::GetTickCount();
    StopDestinationWatch();
    EXPECT_LT(::GetTickCount() - start, 1000u);

    // It can be started again.
    EXPECT_TRUE(StartDestinationWatch(kCycle));
    StopDestinationWatch();
}

} // namespace
