// Shared by the backup run tests: a job bound to a store element with its log, journal, sources and
// destination in a temporary folder, run through the run queue with the main window double.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/run/RunThread.h"
#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "platform/windows/MessageBoxAnswer.h"

namespace runtest
{

using namespace enginetest;

class RunTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a "src" with the path (and "rapid" = "0" unless filters is true); returns it.
    IXMLDOMElementPtr AddSource(const std::wstring &path, bool filters = false);
    // Adds a "file" child with the path.
    void AddFileChild(IXMLDOMElement *source, const std::wstring &path);
    // Runs the job through the run queue and waits for its end message, which it returns.
    PostedMessage Run();

    std::wstring Src() const
    {
        return m_folder / L"src\\";
    }
    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
    // Where a source file lands: the destination folder of the source "src\" (its last component).
    std::wstring Target(const std::wstring &relative) const
    {
        return Dest() + L"src\\" + relative;
    }
    // Writes a file under the source folder, making its folders; returns its full path.
    std::wstring WriteSource(const std::wstring &relative, const std::string &bytes = "data");
    // The destinations the journal holds, in record order.
    std::vector<std::wstring> JournalTargets();
    // The job's log, line by line.
    std::vector<std::wstring> LogLines()
    {
        return JobLogLines(*m_job);
    }
    // The number of log lines that are line (kAnyTime in it stands for any time).
    int LogCount(const std::wstring &line)
    {
        return CountLines(LogLines(), line);
    }
    // The log entry text of a string formatted with the arguments.
    static std::wstring Text(UINT id, LPCWSTR first = L"", LPCWSTR second = L"");

    IXMLDOMElementPtr m_element;
    std::unique_ptr<FakeMainWindow> m_window;
    std::unique_ptr<CSyncJob> m_job;

  private:
    CString m_savedDataFolder;
    std::optional<SeamOverride<MessageBoxAnswer>> m_answer;
    // Whatever workers were installed before the test installs the backup run thread come back afterwards.
    std::optional<SeamOverride<SyncJobWorkers>> m_workers;
};

// Makes the folder and its parents, also beyond the usual path limit.
bool MakeFolders(const std::wstring &folder);
// Gives path the last-write time of model (in whole seconds) plus the seconds.
bool SetWriteTime(const std::wstring &path, const std::wstring &model, LONGLONG seconds);

} // namespace runtest
