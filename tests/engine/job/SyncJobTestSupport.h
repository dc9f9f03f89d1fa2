// Shared by the run queue and job object tests: worker procedures that copy with the job's progress routine
// and cancel flag, and jobs bound to store elements.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/job/JobDeque.h"
#include "engine/job/SyncJob.h"
#include "engine/store/XmlLayer.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "platform/system/Handles.h"

namespace syncjobtest
{

using namespace enginetest;

// What the test workers do. One script at a time (the tests of one program run one after another).
struct WorkerScript
{
    // Copy these with CopyFileWithProgress, the job's progress routine and cancel flag, sleeping delayMs after
    // each progress call; without a source the worker waits until release is set, the cancel flag or the job's
    // stop event.
    std::wstring source;
    std::wstring target;
    DWORD delayMs = 0;
    CKernelHandle release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // The jobs in the order their workers began.
    std::mutex lock;
    std::vector<CSyncJob *> started;
    // Workers that reached their end (posted their message and returned) rather than being cut off.
    std::atomic<int> endedNormally{0};
};
WorkerScript &Script();
// Clears the script and installs the test workers for both kinds of run; the destructor puts back the
// previous pair.
class ScriptedWorkers
{
  public:
    ScriptedWorkers();
    ~ScriptedWorkers();
    ScriptedWorkers(const ScriptedWorkers &) = delete;
    ScriptedWorkers &operator=(const ScriptedWorkers &) = delete;

  private:
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
};

// A job bound to a "jobdef" element of a store document in memory, with its log in a temporary data folder.
class JobTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new job bound to a new element, with the given name and destination.
    std::unique_ptr<CSyncJob> NewJob(LPCWSTR name, const std::wstring &dest);
    // An existing destination folder.
    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
};

} // namespace syncjobtest
