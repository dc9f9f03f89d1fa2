// Shared by the copy tests: a job bound to a store element with its log and destination in a temporary
// folder, scripted copy and move routines, scripted answers to the job's questions, and the check that no
// temporary copy (".~#T") is left anywhere under the folder.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/run/SyncJobCopyOne.h"
#include "engine/support/EngineTestSupport.h"
#include "platform/system/CopyFile.h"
#include "platform/windows/MessageBoxAnswer.h"

namespace copytest
{

using namespace enginetest;

// What the scripted routines do, call by call. A failure entry of 0 (or calls past the list) does the real
// operation; another value fails the call with that error. A call whose target does not contain
// failOnlyWhere is always real.
struct FileOpScript
{
    std::vector<DWORD> failures;
    std::wstring failOnlyWhere;
    int calls = 0;
    std::vector<std::wstring> targets;
};
FileOpScript &CopyScript();
FileOpScript &MoveScript();

// The answers the message-box hook gives, in order (then IDCANCEL), and the texts it was asked.
struct QuestionScript
{
    std::vector<int> answers;
    std::vector<std::wstring> texts;
};
QuestionScript &Questions();

// The pauses between retries are counted, not slept.
int &Sleeps();
// What the probe of the program's own drive answers.
bool &ProgramReachable();

class CopyJobTest : public EngineTest
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // The job's destination root, made in SetUp (with a trailing backslash).
    std::wstring Dest() const
    {
        return m_folder / L"dest\\";
    }
    std::wstring Src() const
    {
        return m_folder / L"src\\";
    }
    // The number of whole lines of the log that are line (kAnyTime in it stands for any time).
    int LogCount(const std::wstring &line);
    // The number of log lines of a string whose arguments are the entry's time and one more.
    int LogCount(UINT id, const std::wstring &argument);
    // A language-library string (with its placeholders).
    static std::wstring Text(UINT id);
    // Replaces the copy and move routines with the scripted ones (which do the real thing unless told).
    void ScriptFileOps();

    IXMLDOMElementPtr m_element;
    std::unique_ptr<CSyncJob> m_job;

  private:
    std::optional<SeamOverride<PFN_RETRY_SLEEP>> m_sleep;
    std::optional<SeamOverride<PFN_PROGRAM_REACHABLE>> m_reachable;
    std::optional<SeamOverride<MessageBoxAnswer>> m_answer;
    std::optional<SeamOverride<PFN_COPY_FILE_EX>> m_copy;
    std::optional<SeamOverride<PFN_MOVE_FILE_EX>> m_move;
};

DWORD Attributes(const std::wstring &path);

} // namespace copytest
