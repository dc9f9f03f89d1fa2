// The job object's life and run control: construction and destruction, binding to the store, start, cancel,
// disable, enable and the end-of-run reset.
#include "engine/job/SyncJob.h"

#include <process.h>

#include <ctime>
#include <mutex>

#include "engine/job/JobDeque.h"
#include "engine/program/ProgramObjects.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/store/XmlLayer.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Clock.h"
#include "platform/system/Resources.h"

namespace
{

// Long enough for a worker to notice the cancel flag and end its copy; after that it is ended by force.
const DWORD kWorkerStopTimeout = 5000;
const UINT kBackupThreadStack = 0x10000;

} // namespace

Seam<SyncJobWorkers> g_syncJobWorkers{SyncJobWorkers()};

CSyncJob::CSyncJob()
    : m_journalFlag(TRUE), m_notStored(TRUE), m_runLock(0x80000400), m_programFolder(g_strAppFolder),
      m_jobDef(std::make_unique<CJobDef>(this)), m_stopEvent(FALSE, FALSE)
{
    m_stopEvent.ResetEvent();
    m_restoreJournal = std::make_unique<CRestoreJournal>(g_strDataFolder);
}

CSyncJob::~CSyncJob()
{
    // The queue holds jobs by pointer: a job that goes while it waits must not be started afterwards.
    GetJobDeque().Remove(this);
    // The workers are told to stop and given their time before anything they use goes away.
    m_cancelFlag = TRUE;
    m_stopEvent.SetEvent();
    for (CKernelHandle *thread : {&m_runThread, &m_listFileRunThread})
    {
        if (!thread->IsValid())
            continue;
        if (::WaitForSingleObject(thread->Get(), kWorkerStopTimeout) == WAIT_TIMEOUT)
            ::TerminateThread(thread->Get(), 1);
        thread->Close();
    }
    if (m_jobDef->GetWarningThreshold() != 0)
        ShowBalloon(FALSE, nullptr);
    m_element = nullptr;
}

void CSyncJob::Attach(IXMLDOMElement *element)
{
    if (element == nullptr)
        return;
    m_element = element;
    m_jobDef->Attach(element);
    m_errorList.SetJobName(m_jobDef->GetName());
    CString logPath = GetLogFilePath();
    if (!logPath.IsEmpty())
        m_log.Open(logPath);
}

void CSyncJob::AttachNode()
{
    m_jobDef->CreateNew();
    m_element = m_jobDef->GetElement();
}

CString CSyncJob::GetDefAttribute(LPCWSTR name) const
{
    return XmlGetAttributeString(m_element, name);
}

CString MakeLogFileName(LPCWSTR jobName)
{
    CString name(jobName != nullptr ? jobName : L"");
    bool leading = true;
    for (int i = 0; i < name.GetLength(); ++i)
    {
        const wchar_t ch = name[i];
        leading = leading && ch == L'.';
        if (leading || ch < 32 || wcschr(L"\\/:*?\"<>|", ch) != nullptr)
            name.SetAt(i, L'_');
    }
    return name;
}

CString CSyncJob::GetLogFilePath() const
{
    CString folder = g_strLogPath;
    int slash = folder.ReverseFind(L'\\');
    if (slash < 0)
        return CString();
    return folder.Left(slash + 1) + MakeLogFileName(m_jobDef->GetName()) + L".log";
}

BOOL CSyncJob::SetErrorLogPath(LPCWSTR path)
{
    if (path == nullptr)
        path = L"";
    if (GetErrorLogPath().CompareNoCase(path) == 0)
        return FALSE;
    XmlSetAttributeString(m_element, L"ErrorLogPath", path);
    return TRUE;
}

CString CSyncJob::GetErrorLogPath() const
{
    return GetDefAttribute(L"ErrorLogPath");
}

int CSyncJob::GetErrorCode() const
{
    return XmlGetAttributeInt(m_element, L"error_code");
}

void CSyncJob::SetErrorCode(int code)
{
    XmlSetAttributeInt(m_element, L"error_code", code);
}

int CSyncJob::GetLastRanDay() const
{
    return XmlGetAttributeInt(m_element, L"last_ran_day");
}

void CSyncJob::SetLastRanDay(int day)
{
    XmlSetAttributeInt(m_element, L"last_ran_day", day);
}

BOOL CSyncJob::IsFirstBackup() const
{
    return m_jobDef->GetBackupCount() == 0;
}

void CSyncJob::IncrementBackupCount()
{
    m_jobDef->SetBackupCount(m_jobDef->GetBackupCount() + 1);
}

void CSyncJob::RefuseStart(UINT message)
{
    m_startArgument = 0;
    // Every start the queue counts must be answered, or the queue never starts another job.
    PostToMainWindow(message, reinterpret_cast<WPARAM>(this), 0);
}

void CSyncJob::Start(int argument)
{
    if (m_cancelFlag)
    {
        // A disabled job that was queued anyway stays disabled through the end handler's reset.
        if (m_jobDef->GetState() == 0)
            m_runState = JOB_DISABLED;
        RefuseStart(WM_JOB_CANCELLED);
        return;
    }
    m_startArgument = argument;
    // What stopped the last run must not stop this one: while the network-retry flag stays set every copy is
    // cancelled at its first progress call.
    m_networkRetry = FALSE;
    m_diskFull = FALSE;
    m_destinationLost = FALSE;
    m_destinationRefused = DEST_REFUSED_NONE;
    m_lastCopyError = 0;
    m_entriesFound = 0;
    m_filesCopied = 0;
    m_entriesFiltered = 0;
    m_newerKept = 0;
    m_errorCount = 0;
    m_jobDef->SetCompleteStatus(4);

    // The restore run's job holds the restore's pairs, which lie outside "dest" by design.
    const bool restoreRun = m_restoreRun != FALSE;
    if (!CheckDestinationBeforeRun(!restoreRun))
    {
        RefuseStart(WM_JOB_FAILED);
        return;
    }

    CString dest = m_jobDef->GetDest();
    if (m_jobDef->GetDestAgent() == 0 && ::GetFileAttributesW(dest) == INVALID_FILE_ATTRIBUTES)
    {
        DWORD error = ::GetLastError();
        // The run's own last error: what its end tells the user.
        m_lastCopyError = error;
        m_log.LogIdAt(L"SyncJob", __LINE__, error, LM_INFO, 1151, FormatNow().GetString());
        if (IsRetryableError(error))
        {
            AddStatusError(AfxLoadText(243));
            RefuseStart(WM_JOB_FAILED);
            return;
        }
        if (error != 0)
        {
            CString text;
            text.Format(122, dest.GetString());
            text += GetSystemErrorText(error);
            if (text.GetLength() > 1024)
                text = text.Left(1024);
            AddStatusError(text);
            RefuseStart(WM_JOB_FAILED);
            return;
        }
    }

    // The schedule compares it with the program's clock.
    m_startTime = static_cast<__int64>(g_pfnClock());
    m_queueArgument = argument;
    m_runState = JOB_BUSY;

    // Every run keeps the journal but the restore the main window asked for, whatever the window shows: a
    // scheduled, caught-up or wizard-started backup is a backup too.
    m_journalFlag = m_restoreRun ? FALSE : TRUE;
    if (m_journalFlag)
    {
        ULONGLONG total = 0, used = 0, free = 0;
        GetPathDiskSpace(dest, total, used, free);
        m_destSpaceTotal = total;
        m_destSpaceFree = free;
    }

    // The log stays: it is the job's open log file, and a new run appends to it.
    m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_INFO, m_journalFlag ? IDS_LOG_RUN_STARTED : IDS_LOG_RESTORE_STARTED,
                  FormatNow().GetString());

    SyncJobWorkers workers = g_syncJobWorkers.Get();
    bool listFile = m_jobDef->GetSyncType() == 2;
    SyncJobThreadProc proc = listFile ? workers.listFile : workers.backup;
    if (proc == nullptr)
    {
        RefuseStart(WM_JOB_FAILED);
        return;
    }
    unsigned threadId = 0;
    HANDLE thread =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, listFile ? 0 : kBackupThreadStack, proc, this, 0, &threadId));
    if (thread == nullptr)
    {
        m_log.LogAt(L"SyncJob", __LINE__, ::GetLastError(), LM_ERROR, L"%D %p", L"_beginthreadex");
        RefuseStart(WM_JOB_FAILED);
        return;
    }
    if (listFile)
    {
        m_listFileRunThread.Attach(thread);
    }
    else
    {
        m_runThread.Attach(thread);
        m_runThreadId = threadId;
    }
}

void CSyncJob::Cancel()
{
    if (GetJobDeque().Remove(this))
    {
        m_runState = JOB_IDLE;
        PostToMainWindow(WM_JOB_CANCELLED, reinterpret_cast<WPARAM>(this), 1);
        return;
    }
    if (m_runState != JOB_BUSY || (!m_runThread.IsValid() && !m_listFileRunThread.IsValid()))
        return;
    m_cancelFlag = TRUE;
    BOOL quitSeen = FALSE;
    int quitCode = 0;
    for (CKernelHandle *thread : {&m_runThread, &m_listFileRunThread})
    {
        if (!thread->IsValid())
            continue;
        int code = 0;
        if (WaitPumpingMessages(thread->Get(), &code))
        {
            quitSeen = TRUE;
            quitCode = code;
        }
        thread->Close();
    }
    m_cancelFlag = FALSE;
    if (quitSeen)
        ::PostQuitMessage(quitCode);
}

void CSyncJob::Disable()
{
    if (m_runState == JOB_BUSY)
        Cancel();
    m_runState = JOB_DISABLED;
    m_progressPercent = 0;
    m_secondPercent = 0;
    PostStatus(L"");
    m_cancelFlag = TRUE;
    m_jobDef->SetState(0);
}

void CSyncJob::Enable()
{
    if (m_runState != JOB_BUSY)
        m_runState = JOB_IDLE;
    m_progressPercent = 0;
    m_secondPercent = 0;
    PostStatus(L"");
    m_cancelFlag = FALSE;
    m_jobDef->SetState(1);
}

void CSyncJob::OnRunFinished()
{
    m_startArgument = 0;
    m_progressPercent = 0;
    m_secondPercent = 0;
    PostStatus(L"");
    if (m_runState != JOB_DISABLED)
    {
        m_cancelFlag = FALSE;
        m_runState = JOB_IDLE;
    }
    m_cannotRunLogged = FALSE;
    m_restoreRun = FALSE;
    m_jobDef->SetNeverRun(FormatNow());
}
