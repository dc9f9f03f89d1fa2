#include "engine/job/JobDeque.h"

#include "engine/job/SyncJob.h"

JobDeque::JobDeque() = default;

JobDeque::~JobDeque()
{
    CSingleLock hold(&m_lock, TRUE);
    m_waiting.clear();
}

void JobDeque::Enqueue(CSyncJob *job, int argument)
{
    if (job == nullptr)
        return;
    bool added = false;
    {
        CSingleLock hold(&m_lock, TRUE);
        bool waiting = false;
        for (const Entry &entry : m_waiting)
        {
            if (entry.job == job)
            {
                waiting = true;
                break;
            }
        }
        if (!waiting)
        {
            m_waiting.push_back(Entry{argument, job});
            added = true;
        }
    }
    if (added)
    {
        job->m_runState = JOB_BUSY;
        job->m_queueArgument = argument;
    }
    RunNext();
}

void JobDeque::RunNext()
{
    if (m_running != 0)
        return;
    Entry front{0, nullptr};
    {
        CSingleLock hold(&m_lock, TRUE);
        if (m_waiting.empty())
            return;
        front = m_waiting.front();
        m_waiting.pop_front();
    }
    // Start may post its own end at once (a refused start); the count must already include this run so
    // that the end handler's decrement balances it.
    ++m_running;
    front.job->Start(front.argument);
    ResetWhenCountBroken();
}

void JobDeque::OnJobFinished(CSyncJob *job, bool wasOnlyWaiting)
{
    if (job == nullptr)
        return;
    if (!wasOnlyWaiting)
        m_running = static_cast<WORD>(m_running - 1);
    ResetWhenCountBroken();
    RunNext();
}

BOOL JobDeque::Remove(CSyncJob *job)
{
    CSingleLock hold(&m_lock, TRUE);
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it)
    {
        if (it->job == job)
        {
            m_waiting.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

size_t JobDeque::GetWaitingCount() const
{
    CSingleLock hold(&m_lock, TRUE);
    return m_waiting.size();
}

CSyncJob *JobDeque::GetWaitingJob(size_t index) const
{
    CSingleLock hold(&m_lock, TRUE);
    return index < m_waiting.size() ? m_waiting[index].job : nullptr;
}

void JobDeque::ResetWhenCountBroken()
{
    if (m_running <= 1)
        return;
    CSingleLock hold(&m_lock, TRUE);
    m_waiting.clear();
    m_running = 0;
}

JobDeque &GetJobDeque()
{
    static JobDeque deque;
    return deque;
}
