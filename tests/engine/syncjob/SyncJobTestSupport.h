// Shared by the run queue and job object tests: a main window double over a message-only window, worker
// procedures that copy with the job's progress routine and cancel flag, and a job bound to a store element.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/JobDeque.h"
#include "engine/MainWindowServices.h"
#include "engine/SyncJob.h"
#include "engine/XmlLayer.h"
#include "platform/Handles.h"
#include "support/TestSupport.h"

namespace syncjobtest {

struct PostedMessage
{
    UINT message;
    CSyncJob *job;
    LPARAM lParam;
};

// Stands in for the main dialog: its window is message-only (posted messages arrive without a display). It
// records every job message and, unless told otherwise, handles the end of a run as the dialog does: the
// queue hears of it, then the job's running bit and end-of-run reset. It sets g_pMainDlg while it lives.
class FakeMainWindow : public IMainWindowServices
{
public:
    explicit FakeMainWindow(JobDeque *deque = &GetJobDeque());
    virtual ~FakeMainWindow();

    HWND GetWindowHandle() const override { return m_hWnd; }
    CSyncJobList *GetJobList() override { return nullptr; }
    HANDLE GetStatusBlockHandle() const override { return m_statusBlock; }
    int GetMode() const override { return m_mode; }
    BOOL GetJobIndex(CSyncJob *job, int &index) override;
    void SetJobRunning(CSyncJob *job) override;
    BOOL RunJobNow(CSyncJob *job, int argument) override;
    void ReportError(CSyncJob *, int, int) override {}
    void UpdateJob(CJobDef *) override {}
    void OnRunJobs() override {}
    void SetMode(int mode) override { m_mode = mode; }
    CSyncJob *GetRunningJob() override { return nullptr; }
    void SetProgressShown(BOOL) override {}
    Gdiplus::Image *GetCloseImage() override { return nullptr; }

    std::vector<PostedMessage> Messages() const;
    // The end messages (finished, cancelled, failed) in arrival order.
    std::vector<PostedMessage> EndMessages() const;
    size_t CountEnds() const { return EndMessages().size(); }
    // Dispatches messages until done() holds or the time is up; done() once more at the end.
    bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 10000);

    // End messages are only recorded (the job may be gone by then).
    bool m_recordOnly = false;
    HANDLE m_statusBlock = INVALID_HANDLE_VALUE;
    int m_mode = MAIN_MODE_BACKUP_IDLE;
    std::map<CSyncJob *, int> m_jobIndexes;

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnJobMessage(UINT message, WPARAM wParam, LPARAM lParam);

    JobDeque *m_deque;
    HWND m_hWnd = nullptr;
    mutable std::mutex m_lock;
    std::vector<PostedMessage> m_messages;
};

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
    SyncJobWorkers m_previous;
};

// Loads the English language library as the resource module once per program.
void UseLanguageLibrary();

// A job bound to a "jobdef" element of a store document in memory, with its log in a temporary data folder.
class JobTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new job bound to a new element, with the given name and destination.
    std::unique_ptr<CSyncJob> NewJob(LPCWSTR name, const std::wstring &dest);
    // An existing destination folder.
    std::wstring Dest() const { return m_folder / L"dest\\"; }

    CCoInitialize m_com{COINIT_APARTMENTTHREADED};
    testsupport::TempFolder m_folder;
    IXMLDOMDocument2Ptr m_document;
    CString m_savedLogPath;
};

} // namespace syncjobtest
