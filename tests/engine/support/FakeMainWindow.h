// A main window double for the engine's tests.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "engine/job/JobDeque.h"
#include "engine/job/MainWindowServices.h"

namespace enginetest
{

struct PostedMessage
{
    UINT message;
    CSyncJob *job;
    LPARAM lParam;
};

// Stands in for the main dialog and sets g_pMainDlg while it lives. Its window is message-only by default
// (posted messages arrive without a display); window tests, whose dialogs enable the main window and post
// commands to it, take a hidden top-level one. It records every job message and, unless told otherwise, ends
// a run as the dialog does: the queue hears of it, the job's journal is closed (rolled back unless the run
// finished), then the running bit and the end-of-run reset. RequestRun posts to its window, whose handler
// records the request and runs the job (RunJobNow(job, 1)) while the collection in m_jobList holds it; with no
// collection it runs nothing.
class FakeMainWindow : public IMainWindowServices
{
  public:
    enum class Kind
    {
        MessageOnly,
        TopLevel,
    };

    explicit FakeMainWindow(JobDeque *deque = &GetJobDeque(), Kind kind = Kind::MessageOnly);
    explicit FakeMainWindow(Kind kind) : FakeMainWindow(&GetJobDeque(), kind)
    {
    }
    virtual ~FakeMainWindow();

    HWND GetWindowHandle() const override
    {
        return m_hWnd;
    }
    CSyncJobList *GetJobList() override
    {
        return m_jobList;
    }
    HANDLE GetStatusBlockHandle() const override
    {
        return m_statusBlock;
    }
    int GetMode() const override
    {
        return m_mode;
    }
    void SetMode(int mode) override
    {
        m_mode = mode;
    }
    BOOL GetJobIndex(CSyncJob *job, int &index) override;
    void SetJobRunning(CSyncJob *job) override;
    BOOL RunJobNow(CSyncJob *job, int argument) override;
    void RequestRun(CSyncJob *job) override;
    void ReportError(CSyncJob *, int, int) override
    {
    }
    void UpdateJob(CJobDef *jobDef) override
    {
        m_updatedJobs.push_back(jobDef);
    }
    void JobListInsert(CSyncJob *job) override
    {
        m_listedJobs.push_back(job);
    }
    CStringArray &GetPendingSources() override
    {
        return m_pendingSources;
    }
    void OnRunJobs() override
    {
        ++m_runJobsCalls;
    }
    CSyncJob *GetRunningJob() override
    {
        return m_runningJob;
    }
    void SetProgressShown(BOOL shown) override
    {
        m_progressShown = shown;
    }
    Gdiplus::Image *GetCloseImage() override
    {
        return m_closeImage;
    }
    int GetRestoreToOtherFolder() const override
    {
        return m_restoreToOtherFolder;
    }
    BOOL GetUseBasicFilter() const override
    {
        return m_useBasicFilter;
    }
    ULONGLONG GetProgramDriveCapacity() const override
    {
        return m_programDriveCapacity;
    }
    int FindJobByPath(CSyncJob *, LPCWSTR path) override
    {
        m_pathsFound.push_back(path);
        return m_findJobByPath;
    }

    std::vector<PostedMessage> Messages() const;
    // The jobs of the run requests handled so far, in order, whether they ran or not.
    std::vector<CSyncJob *> RunRequests() const;
    // The end messages (finished, cancelled, failed) in arrival order.
    std::vector<PostedMessage> EndMessages() const;
    size_t CountEnds() const
    {
        return EndMessages().size();
    }
    // Dispatches messages until done() holds or the time is up; done() once more at the end.
    bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 10000);
    // Dispatches messages until n end messages have come or the time is up.
    bool WaitForEnds(size_t n, DWORD timeoutMs = 60000);
    // Puts the job on the run queue and waits for the end message of its run (a failure of the test when none
    // comes, and message 0).
    PostedMessage RunQueued(CSyncJob *job);
    // The WM_COMMAND ids posted to the window, taken from its queue.
    std::vector<WPARAM> TakePostedCommands();

    // End messages are only recorded (the job may be gone by then).
    bool m_recordOnly = false;
    HANDLE m_statusBlock = INVALID_HANDLE_VALUE;
    int m_mode = MAIN_MODE_BACKUP_IDLE;
    std::map<CSyncJob *, int> m_jobIndexes;
    int m_runJobsCalls = 0;
    BOOL m_progressShown = TRUE;
    CSyncJob *m_runningJob = nullptr;
    Gdiplus::Image *m_closeImage = nullptr;
    int m_restoreToOtherFolder = 0;
    BOOL m_useBasicFilter = FALSE;
    // As much room as any test needs, unless a test says otherwise.
    ULONGLONG m_programDriveCapacity = ~0ULL;
    // The collection GetJobList gives (not owned); none by default.
    CSyncJobList *m_jobList = nullptr;
    // The jobs given a line in the job list and the lines repainted, in order; the pending source paths.
    std::vector<CSyncJob *> m_listedJobs;
    std::vector<CJobDef *> m_updatedJobs;
    CStringArray m_pendingSources;
    // What FindJobByPath answers (no clash unless a test says otherwise), and the paths it was asked.
    int m_findJobByPath = -1;
    std::vector<CString> m_pathsFound;

  private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnJobMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnRunRequest(CSyncJob *job);

    JobDeque *m_deque;
    HWND m_hWnd = nullptr;
    mutable std::mutex m_lock;
    std::vector<PostedMessage> m_messages;
    std::vector<CSyncJob *> m_runRequests;
};

} // namespace enginetest
