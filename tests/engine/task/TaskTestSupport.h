// Shared by the task runner's tests: a job with its log and destination in a temporary folder, a main window
// double that collects the job's copy errors, and a copy routine that fails chosen calls.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/job/SyncJob.h"
#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "platform/system/CopyFile.h"

namespace tasktest
{

using namespace enginetest;

// The copy calls of the scripted routine, in order: a failure of 0 (or a call past the list) copies for real,
// another value fails the call with that error and touches nothing.
struct CopyScript
{
    std::vector<DWORD> failures;
    std::vector<std::wstring> targets;
};
CopyScript &Copies();

class TaskTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The destination root and a source folder, made in SetUp (with a trailing backslash).
    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
    std::wstring Src() const
    {
        return m_folder / L"src\\";
    }
    std::wstring MakeSource(const std::wstring &name, const std::string &bytes = "new data");
    // Replaces the copy routine with the scripted one.
    void ScriptCopies();
    // The job's copy-error texts.
    std::vector<std::wstring> ErrorTexts();
    // The copy-error text of a path that failed with code, as the job words it.
    static std::wstring ErrorText(const std::wstring &path, DWORD code);
    // The job's log split into lines.
    std::vector<std::wstring> LogLines();

    std::unique_ptr<FakeMainWindow> m_window;
    IXMLDOMElementPtr m_element;
    std::unique_ptr<CSyncJob> m_job;

  private:
    std::optional<SeamOverride<PFN_COPY_FILE_EX>> m_copy;
};

// The names of the files in a folder (not its subfolders), sorted.
std::vector<std::wstring> FileNames(const std::wstring &folder);
DWORD Attributes(const std::wstring &path);
// True when the file can be opened with no sharing: nothing else holds it open.
bool OpensExclusively(const std::wstring &path);

} // namespace tasktest
