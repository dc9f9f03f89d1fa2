#include "engine/task/FileCopyingQueue.h"

#include <process.h>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/AppPaths.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/ExceptionReport.h"

namespace
{

const DWORD kPause = 500;
const DWORD kTakeWait = 100;

void LogRecord(DWORD error, DWORD level, UINT id, const CSyncTask::FILECOPYING &record)
{
    AppLog.LogIdAt(L"SyncTask", __LINE__, error, level, id, FormatNow().GetString(), record.source, record.destination,
                   GetSystemErrorText(error).GetString());
}

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

std::vector<CSyncTask::FILECOPYING *> CFileCopyingQueue::TakeRound()
{
    std::vector<CSyncTask::FILECOPYING *> round;
    if (!m_lock.Lock(kTakeWait))
        return round;
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
        round.push_back(m_records[i]);
    m_lock.Unlock();
    return round;
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

void CFileCopyingQueue::MoveToBack(CSyncTask::FILECOPYING *record)
{
    for (INT_PTR i = 0; i < m_records.GetSize(); ++i)
    {
        if (m_records[i] == record)
        {
            m_records.RemoveAt(i);
            m_records.Add(record);
            return;
        }
    }
}

bool CFileCopyingQueue::TryRecord(const CSyncTask::FILECOPYING &record)
{
    WIN32_FILE_ATTRIBUTE_DATA source, target;
    if (!::GetFileAttributesExW(record.source, GetFileExInfoStandard, &source))
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        {
            LogRecord(error, LM_WARNING, IDS_LOG_QUEUE_SOURCE_GONE, record);
            return true;
        }
    }
    else if (::GetFileAttributesExW(record.destination, GetFileExInfoStandard, &target) &&
             ::CompareFileTime(&source.ftLastWriteTime, &target.ftLastWriteTime) <= 0)
    {
        LogRecord(0, LM_INFO, IDS_LOG_QUEUE_NOT_NEWER, record);
        return true;
    }
    if (CopyFileViaTemp(nullptr, record.source, record.destination) == TASK_DONE)
    {
        LogRecord(0, LM_INFO, IDS_LOG_QUEUE_COPIED, record);
        return true;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return false;
    LogRecord(error, LM_ERROR, IDS_LOG_QUEUE_FAILED, record);
    ::SetLastError(error);
    ShowLastErrorMessage();
    return true;
}

void CFileCopyingQueue::Run()
{
    while (m_stop == 0)
    {
        // Every record in turn, in the order they wait. Only this thread removes records, so each stays valid
        // after the lock is let go.
        for (CSyncTask::FILECOPYING *record : TakeRound())
        {
            if (m_stop != 0)
                return;
            const bool done = TryRecord(*record);
            CSingleLock hold(&m_lock, TRUE);
            if (done)
                Remove(record);
            else
                MoveToBack(record);
        }
        if (!Pause())
            return;
    }
}
