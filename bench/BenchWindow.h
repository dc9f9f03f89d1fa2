// The main window as far as the benchmarks need it: a message-only window registered as the program's main
// window (g_pMainDlg) that closes each run on its end message as the program's main window does. The
// collection is the one given (or none); runs asked of it start nothing unless a benchmark says otherwise.
#pragma once
#include <windows.h>

#include "engine/job/MainWindowServices.h"

namespace bench
{

class BenchMainWindow : public IMainWindowServices
{
  public:
    BenchMainWindow(LPCWSTR className, CSyncJobList *list);
    virtual ~BenchMainWindow();
    BenchMainWindow(const BenchMainWindow &) = delete;
    BenchMainWindow &operator=(const BenchMainWindow &) = delete;

    HWND GetWindowHandle() const override
    {
        return m_hWnd;
    }
    CSyncJobList *GetJobList() override
    {
        return m_list;
    }
    HANDLE GetStatusBlockHandle() const override
    {
        return INVALID_HANDLE_VALUE;
    }
    int GetMode() const override;
    void SetMode(int) override
    {
    }
    BOOL GetJobIndex(CSyncJob *, int &) override
    {
        return FALSE;
    }
    void SetJobRunning(CSyncJob *job) override;
    BOOL RunJobNow(CSyncJob *, int) override
    {
        return FALSE;
    }
    void RequestRun(CSyncJob *) override
    {
    }
    void ReportError(CSyncJob *, int, int) override
    {
    }
    void UpdateJob(CJobDef *) override
    {
    }
    void JobListInsert(CSyncJob *) override
    {
    }
    CStringArray &GetPendingSources() override
    {
        return m_pendingSources;
    }
    void OnRunJobs() override
    {
    }
    CSyncJob *GetRunningJob() override
    {
        return nullptr;
    }
    void SetProgressShown(BOOL) override
    {
    }
    Gdiplus::Image *GetCloseImage() override
    {
        return nullptr;
    }
    int GetRestoreToOtherFolder() const override
    {
        return 0;
    }
    BOOL GetUseBasicFilter() const override
    {
        return FALSE;
    }
    ULONGLONG GetProgramDriveCapacity() const override
    {
        return 0;
    }
    int FindJobByPath(CSyncJob *, LPCWSTR) override
    {
        return -1;
    }

  protected:
    // After a run's end message has closed the run (WM_JOB_FINISHED, WM_JOB_CANCELLED or WM_JOB_FAILED).
    virtual void OnRunEnded(UINT)
    {
    }
    // Any other message; TRUE when handled.
    virtual BOOL OnOtherMessage(UINT, WPARAM, LPARAM)
    {
        return FALSE;
    }

    CSyncJobList *m_list;

  private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    CStringArray m_pendingSources;
};

} // namespace bench
