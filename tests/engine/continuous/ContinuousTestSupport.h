// Shared by the continuous-copy tests: a two-way job "Sync" (sync_type 2, maxver 3, never run) whose source
// folder m_a and destination folder m_b lie in a temporary folder; files with chosen times; lists read back.
#pragma once
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"

namespace continuoustest
{

using namespace enginetest;

extern const wchar_t kJobId[];

class ContinuousTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // Adds a "src" with filters off; returns it.
    IXMLDOMElementPtr AddSource(const std::wstring &path, const std::wstring &destination);
    // Runs the job through the run queue; its end message.
    PostedMessage Run();

    std::unique_ptr<FakeMainWindow> m_window;
    IXMLDOMElementPtr m_element;
    std::unique_ptr<CSyncJob> m_job;
    std::wstring m_a, m_b; // with their trailing backslash; a test may move them

  private:
    CString m_savedDataFolder, m_savedListName;
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
};

// Writes a file, making its folders, last written 2020-06-01 12:00:00 UTC + seconds.
void Write(const std::wstring &path, const std::string &bytes, LONGLONG seconds = 0);
// The entry lines of a folder's list (the folder line left out), in file order; without the in-step times
// unless withTimes.
std::vector<std::wstring> ListEntries(const std::wstring &folder, bool withTimes = false);
// The time Write gives a file written at seconds.
FILETIME WrittenAt(LONGLONG seconds = 0);
// The test job's entry line for a name.
std::wstring Entry(const std::wstring &name, int isDir = 0);
// The bytes of every file below the folders, as ReadFileTree reads them: folder after folder, each in path order.
std::vector<std::string> FileBytes(std::initializer_list<std::wstring> folders);

// This program started with this variable naming a test folder runs RunTwoWayChild (TwoWaySafetyProcessTest.cpp).
extern const wchar_t kTwoWayChildVariable[];
int RunTwoWayChild(const std::wstring &folder);
// This program started again with variable set to value, for one of the child roles of ListFileTest.cpp's main.
CKernelHandle StartChild(const wchar_t *variable, const std::wstring &value);

} // namespace continuoustest
