// Shared by the change tests: a job store of on-change jobs over a source folder in a temporary folder, the
// collection loaded from it, a main window that holds it and counts the runs it is asked for, and the program's
// log opened in that folder.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/changes/ChangeProcessor.h"
#include "engine/job/SyncJob.h"
#include "engine/store/SyncJobList.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"

namespace changestest
{

using namespace enginetest;

// Runs asked of it are recorded (RunRequests), and run only when runs is set.
class RequestWindow : public FakeMainWindow
{
  public:
    BOOL RunJobNow(CSyncJob *job, int argument) override
    {
        return runs ? FakeMainWindow::RunJobNow(job, argument) : TRUE;
    }
    size_t RequestsFor(CSyncJob *job) const;
    bool runs = false;
};

class ChangeTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    using Attributes = std::map<std::wstring, std::wstring>;
    // A "jobdef" of an on-change job (sync_type 1, maxver 2, autodel on, never run, unless with says otherwise)
    // with one source: source (m_src by default) whose filters are off and whose destination is dest.
    std::wstring Job(const std::wstring &name, const std::wstring &dest, const std::wstring &source = L"",
                     const Attributes &with = {}) const;
    // Writes the store of these jobs and loads the collection into a new main window.
    void LoadJobs(const std::wstring &jobs);
    CSyncJob *JobNamed(const std::wstring &name) const;
    // Processes one record on this thread.
    int Process(DWORD action, const std::wstring &path, const std::wstring &second = L"");
    // The destinations of the job's journal records, in order.
    std::vector<std::wstring> Journal(CSyncJob *job) const;
    // The program's log, line by line.
    std::vector<std::wstring> AppLogLines() const;

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    std::wstring m_src; // the source folder, with its backslash
    std::wstring m_dst; // the first job's destination, with its backslash
    std::unique_ptr<CSyncJobList> m_list;
    std::unique_ptr<RequestWindow> m_window;
    std::unique_ptr<CChangeProcessor> m_processor;

  private:
    CString m_savedLog, m_savedData, m_savedListName;
};

// What a job that has run before has instead of "never run".
extern const std::map<std::wstring, std::wstring> kRanBefore;

// Writes a file, making its folders.
void Write(const std::wstring &path, const std::string &bytes);

} // namespace changestest
