#include "engine/task/FileCopyingQueue.h"

#include <process.h>

#include "engine/program/AppPaths.h"
#include "platform/system/ExceptionReport.h"

namespace
{

const DWORD kPause = 500;
const DWORD kTakeWait = 100;
const DWORD kRemoveWait = 500;

} // namespace

CFileCopyingQueue::CFileCopyingQueue()
{
    m_thread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadProc, this, 0, &m_threadId)));
}

CFileCopyingQueue::~CFileCopyingQueue()
{
    ::InterlockedExchange(&m_stop, 1);
    m_stopEvent.SetEvent();
    if (m_thread.IsValid())
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Close();
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
        delete m_records[i];
    m_records.RemoveAll();
}

BOOL CFileCopyingQueue::Enqueue(LPCWSTR source, LPCWSTR destination)
{
    if (source == nullptr || *source == L'\0')
        return FALSE;
    auto *record = new CSyncTask::FILECOPYING(source, destination);
    CSingleLock hold(&m_lock, TRUE);
    m_records.Add(record);
    return TRUE;
}

INT_PTR CFileCopyingQueue::GetCount()
{
    CSingleLock hold(&m_lock, TRUE);
    return m_records.GetSize();
}

BOOL CFileCopyingQueue::IsQueued(LPCWSTR source, LPCWSTR destination)
{
    if (source == nullptr || destination == nullptr)
        return FALSE;
    CSingleLock hold(&m_lock, TRUE);
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
    {
        const CSyncTask::FILECOPYING *record = m_records[i];
        if (_wcsicmp(record->source, source) == 0 && _wcsicmp(record->destination, destination) == 0)
            return TRUE;
    }
    return FALSE;
}

unsigned __stdcall CFileCopyingQueue::ThreadProc(void *param)
{
    try
    {
        static_cast<CFileCopyingQueue *>(param)->Run();
    }
    catch (...)
    {
        AfxReportCurrentException("the deferred-copy thread");
    }
    return 0;
}

bool CFileCopyingQueue::Pause()
{
    ::WaitForSingleObject(m_stopEvent.m_hObject, kPause);
    return m_stop == 0;
}

CSyncTask::FILECOPYING *CFileCopyingQueue::TakeFirst()
{
    CSyncTask::FILECOPYING *record = m_records.GetSize() > 0 ? m_records[0] : nullptr;
    m_lock.Unlock();
    return record;
}

void CFileCopyingQueue::Remove(CSyncTask::FILECOPYING *record)
{
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
    {
        if (m_records[i] == record)
        {
            m_records.RemoveAt(i);
            delete record;
            return;
        }
    }
}

void CFileCopyingQueue::Run()
{
    while (m_stop == 0)
    {
        if (!m_lock.Lock(kTakeWait))
        {
            if (!Pause())
                return;
            continue;
        }
        // Only this thread removes records, so the first one stays valid after the lock is let go.
        CSyncTask::FILECOPYING *record = TakeFirst();
        if (record == nullptr)
        {
            if (!Pause())
                return;
            continue;
        }

        const BOOL copied = CopyFileViaTemp(nullptr, record->source, record->destination) == TASK_DONE;
        const DWORD error = copied ? 0 : ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
        {
            if (!Pause())
                return;
            continue;
        }
        if (m_lock.Lock(kRemoveWait))
        {
            Remove(record);
            m_lock.Unlock();
        }
        if (!copied)
        {
            ::SetLastError(error);
            ShowLastErrorMessage();
        }
        if (!Pause())
            return;
    }
}
