// The shared job-status block "Tessel_Job_Status" and the poller that reports each job's start and end to the
// main window.
//
// The block is 8 bytes of the paging file. The job engine sets bit i of the word at offset 0 while the job on
// card i of the job list runs (CSyncJob::SetRunningFlag); the poller reads that same word every 80 ms and sends
// the main window WM_JOB_STATUS (i, 0) once when it sees a bit come, and (i, 1) at least 5 s after it saw the bit
// go. Only cards 0 to 31 have a bit. A reply other than 1 leaves the job as it was, so the report is sent again
// on the next pass.
#pragma once
#include <windows.h>

#include <atomic>

#include "platform/system/Handles.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"

class CSyncJobList;

// To the main window: wParam the job's card index, lParam 0 when it was seen running, 1 when seen ended.
constexpr UINT WM_JOB_STATUS = 0x8B1;
// The block's name (unprefixed: one per session).
extern const wchar_t kJobStatusBlockName[];
// The indexes that have a bit.
constexpr int kJobStatusSlots = 32;

// What the poller needs of the world; the main window's block stands behind it in the program, a test's script in
// the tests.
class IJobStatusSource
{
  public:
    // The running bits of the block's first word; false when the block could not be read this time.
    virtual bool ReadRunningBits(DWORD &bits) = 0;
    // The number of jobs of the main window's collection.
    virtual int GetJobCount() = 0;
    // False once the main window has no window: the poller then ends.
    virtual bool HasWindow() = 0;
    // Sends WM_JOB_STATUS (index, state); the reply, 0 when the send failed or timed out.
    virtual LRESULT SendStatus(int index, LPARAM state) = 0;
    // Waits that long; true when the poller is to end.
    virtual bool Wait(DWORD milliseconds) = 0;

  protected:
    ~IJobStatusSource() = default;
};

// The poller's state: one reported flag per index.
class CJobStatusPoller
{
  public:
    static constexpr DWORD kFirstWaitMs = 2000;
    static constexpr DWORD kPassWaitMs = 80;
    static constexpr DWORD kEndDelayMs = 5000;

    // One pass over the block; false when the poller must end (no window, or asked to stop).
    bool Pass(IJobStatusSource &source);
    // The poller's life: the first wait, then passes kPassWaitMs apart until one ends it. Returns 0.
    DWORD Run(IJobStatusSource &source);
    bool IsReported(int index) const
    {
        return index >= 0 && index < kJobStatusSlots && m_reported[index];
    }

  private:
    bool m_reported[kJobStatusSlots] = {};
};

// Ends the poller's thread when it did not stop in time; TerminateThread unless a test puts another in place.
typedef BOOL(WINAPI *TerminatePollerFunction)(HANDLE thread, DWORD exitCode);
extern Seam<TerminatePollerFunction> g_pfnTerminatePoller;

// The block and the poller's thread, as the main window owns them.
class CJobStatusBlock : private IJobStatusSource
{
  public:
    CJobStatusBlock() = default;
    // Stops the poller.
    ~CJobStatusBlock();
    CJobStatusBlock(const CJobStatusBlock &) = delete;
    CJobStatusBlock &operator=(const CJobStatusBlock &) = delete;

    // Creates the block (five tries, 50 ms apart) and, with it, the poller's thread (a second try when the first
    // fails), which counts the jobs of jobs. FALSE when there is no block.
    BOOL Start(CSyncJobList *jobs);
    // The window the poller reports to; null while there is none. Any thread.
    void SetWindow(HWND window);
    // Asks the poller to end and waits up to 6 s for it, handling the messages it sends meanwhile; only then is
    // the thread ended by force. Closes the block.
    void Stop();
    // The block's mapping, INVALID_HANDLE_VALUE without one.
    HANDLE GetBlock() const;
    BOOL IsPolling() const
    {
        return m_thread.IsValid();
    }

  private:
    static DWORD WINAPI ThreadProc(LPVOID block);

    bool ReadRunningBits(DWORD &bits) override;
    int GetJobCount() override;
    bool HasWindow() override;
    LRESULT SendStatus(int index, LPARAM state) override;
    bool Wait(DWORD milliseconds) override;

    CKernelHandle m_mapping;
    // The mapping as other threads read it (GetBlock): cleared before the mapping is closed.
    std::atomic<HANDLE> m_published{INVALID_HANDLE_VALUE};
    CKernelHandle m_thread;
    CEvent m_stop{FALSE, TRUE};
    std::atomic<HWND> m_window{nullptr};
    CSyncJobList *m_pJobs = nullptr;
    CJobStatusPoller m_poller;
};
