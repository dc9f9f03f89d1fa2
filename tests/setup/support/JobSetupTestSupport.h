// Shared by the tests of job creation and the wizard: a job store "Zel.xml" in the temporary folder (which is also
// the data folder, where the job logs and restore lists go) held by a collection, a stand-in main window that holds
// it, the message boxes answered and recorded, and the store read back from its file.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/store/SyncJobList.h"
#include "engine/support/FakeMainWindow.h"
#include "platform/windows/MessageBoxAnswer.h"
#include "setup/support/SetupTestSupport.h"

namespace setuptest
{

// One message box as the program asked it.
struct AskedBox
{
    UINT textId;
    CString text;
};

class JobSetupTest : public FilterTest
{
  protected:
    explicit JobSetupTest(enginetest::FakeMainWindow::Kind kind = enginetest::FakeMainWindow::Kind::MessageOnly)
        : m_kind(kind)
    {
    }
    void SetUp() override;
    void TearDown() override;

    // The store's path ("Zel.xml" of the temporary folder).
    std::wstring StorePath() const;
    // The "jobdef" elements of the store as its file holds them (none when there is no file).
    std::vector<IXMLDOMElementPtr> StoredJobs();
    // The string numbers of the boxes asked so far.
    std::vector<UINT> AskedIds() const;
    // A job of the collection made from an element with the name, destination and state, its other keys as given.
    CSyncJob *AddJob(LPCWSTR name, LPCWSTR dest, const std::vector<std::pair<LPCWSTR, LPCWSTR>> &keys = {});
    // Dispatches messages until the runs asked so far have ended.
    void WaitForRunEnds(size_t count);

    std::unique_ptr<CSyncJobList> m_jobs;
    std::unique_ptr<enginetest::FakeMainWindow> m_main;
    std::vector<AskedBox> m_asked;
    // Answers a box by its string number (0 for a ready text); IDOK (or IDYES for a Yes/No box) unless set.
    std::function<int(UINT textId, UINT flags)> m_answer;

  private:
    enginetest::FakeMainWindow::Kind m_kind;
    std::unique_ptr<SeamOverride<MessageBoxAnswer>> m_boxes;
    CString m_savedDataFolder;
    CString m_savedStorePath;
};

} // namespace setuptest
