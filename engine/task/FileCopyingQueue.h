// CFileCopyingQueue: copies that wait for their source to be let go. A thread of its own goes through the records
// every 500 ms, each in turn, through the task runner's safe replace (CopyFileViaTemp):
//   - a source still held by another program (error 32 or 33) goes to the back and waits for the next round, so
//     that a file held all day keeps no other file waiting;
//   - a source that is gone, or that is no longer newer than its destination (a run or a later change copied
//     it meanwhile), is dropped with a line in the program's log;
//   - a copy that went through is dropped with a line in the program's log; one that failed otherwise is
//     dropped after its error was logged and shown (ShowLastErrorMessage).
//
// The program keeps one instance (ProgramObjects.h), whose thread runs from before the program's start-up until
// process exit. Change processing queues the copy of a changed file that another program keeps locked.
#pragma once
#include <windows.h>

#include <vector>

#include "engine/task/SyncTask.h"
#include "platform/system/Handles.h"
#include "platform/system/Sync.h"
#include "platform/text/Collections.h"

class CFileCopyingQueue
{
  public:
    // Starts the thread with an empty queue.
    CFileCopyingQueue();
    // Stops the thread (its waits end at once), waits for it and frees the records still queued.
    ~CFileCopyingQueue();
    CFileCopyingQueue(const CFileCopyingQueue &) = delete;
    CFileCopyingQueue &operator=(const CFileCopyingQueue &) = delete;

    // Appends a copy of source onto destination (replacing it). FALSE for an empty source.
    BOOL Enqueue(LPCWSTR source, LPCWSTR destination);
    // The number of records waiting.
    INT_PTR GetCount();
    // A copy of source onto destination waits already (paths compared ignoring case).
    BOOL IsQueued(LPCWSTR source, LPCWSTR destination);

  private:
    static unsigned __stdcall ThreadProc(void *param);
    void Run();
    // Waits the pause between two rounds; false when the queue is to stop.
    bool Pause();
    // The records as they wait now; empty when the lock could not be had in time.
    std::vector<CSyncTask::FILECOPYING *> TakeRound();
    // Tries one record; FALSE when it stays queued (its source is still in use).
    bool TryRecord(const CSyncTask::FILECOPYING &record);
    // Takes the record out and frees it, or puts it at the back; under the lock.
    void Remove(CSyncTask::FILECOPYING *record);
    void MoveToBack(CSyncTask::FILECOPYING *record);

    CTypedPtrArray<CPtrArray, CSyncTask::FILECOPYING *> m_records;
    CMutex m_lock;
    // Set by the destructor; the thread's pauses wait on it.
    CEvent m_stopEvent{FALSE, TRUE};
    volatile LONG m_stop = 0;
    CKernelHandle m_thread;
    unsigned m_threadId = 0;
};
