// JobDeque: the process-wide run queue. Jobs wait in arrival order and run one at a time: a job is started
// only while no started run is still unreported.
#pragma once
#include <windows.h>

#include <deque>

#include "platform/system/Sync.h"

class CSyncJob;

class JobDeque
{
  public:
    JobDeque();
    virtual ~JobDeque();
    JobDeque(const JobDeque &) = delete;
    JobDeque &operator=(const JobDeque &) = delete;

    // Appends the job unless it already waits (it then keeps its first argument), marks it busy with the
    // argument and starts the next job when none runs. A null job is ignored.
    void Enqueue(CSyncJob *job, int argument);
    // When no run is under way, takes the front job out and starts it.
    void RunNext();
    // A run ended (wasOnlyWaiting FALSE) or a waiting job was cancelled (TRUE): lowers the running count
    // for a run and starts the next job. A count that leaves 0..1 resets the queue. A null job is ignored.
    void OnJobFinished(CSyncJob *job, bool wasOnlyWaiting);
    // Takes the job's entry out of the waiting list; 1 when it was there. A running job has no entry.
    BOOL Remove(CSyncJob *job);

    WORD GetRunningCount() const
    {
        return m_running;
    }
    size_t GetWaitingCount() const;
    // The waiting job at position index (0 = the next to run), or null.
    CSyncJob *GetWaitingJob(size_t index) const;

  private:
    struct Entry
    {
        int argument;
        CSyncJob *job;
    };

    // Called with the count just changed: above 1 means the count went wrong (0 - 1 wraps to 65535).
    void ResetWhenCountBroken();

    mutable CCriticalSection m_lock;
    std::deque<Entry> m_waiting;
    WORD m_running = 0;
};

// The program's run queue.
JobDeque &GetJobDeque();
