// Shared by the watcher tests: a handler that records what it hears, and a fixture with a temporary folder and
// the test's main window (which also makes sure that windows can be made under Wine).
#pragma once
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/support/EngineTestSupport.h"
#include "engine/support/FakeMainWindow.h"
#include "engine/watch/DirectoryChangeHandler.h"

namespace watchtest
{

// Records each notification as a line: "added <path>", "removed <path>", "modified <path>", "renamed <old> >
// <new>", "error <code> <folder>", "started <code> <folder>", "stopped <folder>".
class RecordingHandler : public CDirectoryChangeHandler
{
  public:
    void FileAdded(LPCWSTR path) override;
    void FileRemoved(LPCWSTR path) override;
    void FileRenamed(LPCWSTR oldPath, LPCWSTR newPath) override;
    void FileModified(LPCWSTR path) override;
    void WatchError(DWORD error, LPCWSTR folder) override;
    void WatchStarted(DWORD error, LPCWSTR folder) override;
    void WatchStopped(LPCWSTR folder) override;
    BOOL AcceptChange(DWORD action, LPCWSTR path, LPCWSTR secondPath) override;

    std::vector<std::wstring> Events() const;
    size_t Count(const std::wstring &event) const;
    // The events but "modified", "started" and "stopped" ones.
    std::vector<std::wstring> NameEvents() const;
    void Clear();

    BOOL accept = TRUE;

  private:
    void Add(const std::wstring &event);
    mutable std::mutex m_lock;
    std::vector<std::wstring> m_events;
};

class WatchTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    // Dispatches the test thread's messages until done() holds or the time is up.
    bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 10000);

    testsupport::TempFolder m_folder;
    std::unique_ptr<enginetest::FakeMainWindow> m_window;
};

} // namespace watchtest
