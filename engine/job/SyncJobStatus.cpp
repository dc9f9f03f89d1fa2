// What the job reports while it runs: copy progress, the running bit of the shared status block, the status
// text, the copy-error entries and the tray balloon; and the network-error test and destination check.
#include "engine/job/SyncJob.h"

#include <shellapi.h>
#include <winnetwk.h>

#include <algorithm>
#include <ctime>

#include "engine/program/NetPath.h"
#include "engine/store/SourceList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/Resources.h"

namespace
{

// Steps larger than this between two progress calls are not counted: they come from a restarted or
// resumed copy, not from data that went across.
const ULONGLONG kMaxCountedStep = 0x100000;

const DWORD kRetryableErrors[] = {
    51,   52,   53,   54,   55,   58,   59,   64,   65,   66,   67,   68,   86,   88,   121,
    1202, 1203, 1204, 1214, 1220, 1221, 1222, 1225, 1226, 1229, 1230, 1231, 1232, 1233, 1234,
    1236, 1241, 1245, 1256, 1707, 1724, 1763, 1790, 1792, 2250, 2401, 4100, 5035, 5045, 9851,
};

DWORD SystemConnect(HWND owner, LPCWSTR uncPath)
{
    NETRESOURCEW resource = {};
    resource.dwType = RESOURCETYPE_DISK;
    resource.lpRemoteName = const_cast<LPWSTR>(uncPath);
    return ::WNetAddConnection3W(owner, &resource, nullptr, nullptr, CONNECT_INTERACTIVE);
}

// Maps the status block's first word, trying 3 times 50 ms apart and asking the main window for the handle
// again before each try.
void *MapStatusBlock(IMainWindowServices *mainWindow)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        if (attempt > 0)
            ::Sleep(50);
        HANDLE mapping = mainWindow->GetStatusBlockHandle();
        if (mapping == nullptr || mapping == INVALID_HANDLE_VALUE)
            return nullptr;
        void *view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 8);
        if (view != nullptr)
            return view;
    }
    return nullptr;
}

} // namespace

Seam<PFN_SHELL_NOTIFY_ICON> g_pfnShellNotifyIcon{&::Shell_NotifyIconW};

Seam<DestinationConnectFunction> g_pfnConnectDestination{&SystemConnect};

DWORD CALLBACK CSyncJob::CopyProgressRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                                             LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD callbackReason, HANDLE, HANDLE,
                                             LPVOID data)
{
    CSyncJob *job = static_cast<CSyncJob *>(data);
    if (job == nullptr)
        return PROGRESS_CONTINUE;
    if (job->m_cancelFlag || job->m_networkRetry)
    {
        job->m_secondPercent = 0;
        return PROGRESS_CANCEL;
    }
    if (callbackReason == CALLBACK_STREAM_SWITCH)
    {
        job->m_lastTransferred = 0;
        // A single changed file of a watched job is a run of its own: its size is the run's total.
        if (job->m_jobDef->GetJsType() == 0 && job->m_startArgument == 0)
        {
            job->m_bytesTotal = static_cast<ULONGLONG>(totalFileSize.QuadPart);
            job->m_bytesDone = 0;
            job->m_progressPercent = 0;
        }
    }
    else if (callbackReason == CALLBACK_CHUNK_FINISHED)
    {
        ULONGLONG transferred = static_cast<ULONGLONG>(totalBytesTransferred.QuadPart);
        ULONGLONG size = static_cast<ULONGLONG>(totalFileSize.QuadPart);
        ULONGLONG last = job->m_lastTransferred;
        if (transferred == size)
        {
            if (transferred >= last && transferred - last <= kMaxCountedStep)
                job->m_bytesDone += transferred - last;
        }
        else if (transferred < size && transferred > last)
        {
            if (transferred - last <= kMaxCountedStep)
            {
                job->m_bytesDone += transferred - last;
                job->m_lastTransferred = transferred;
            }
        }
    }
    return PROGRESS_CONTINUE;
}

void CSyncJob::SetRunningFlag(BOOL set)
{
    IMainWindowServices *mainWindow = g_pMainDlg.load();
    if (mainWindow == nullptr)
        return;
    HANDLE mapping = mainWindow->GetStatusBlockHandle();
    if (mapping == nullptr || mapping == INVALID_HANDLE_VALUE)
        return;
    // A job without a line in the list has no bit; another job's bit must not be touched for it.
    int index = 0;
    if (!mainWindow->GetJobIndex(this, index))
        return;
    void *view = MapStatusBlock(mainWindow);
    if (view == nullptr)
        return;
    LONG bit = static_cast<LONG>(1u << (index & 31));
    volatile LONG *word = static_cast<volatile LONG *>(view);
    if (set)
        ::InterlockedOr(word, bit);
    else
        ::InterlockedAnd(word, ~bit);
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        if (attempt > 0)
            ::Sleep(50);
        if (::UnmapViewOfFile(view))
            break;
    }
}

void CSyncJob::PostStatus(LPCWSTR text)
{
    if (m_runState != JOB_BUSY)
        return;
    if (!PostToMainWindow(WM_JOB_PROGRESS, reinterpret_cast<WPARAM>(this), 0))
        return;
    CSingleLock hold(&m_statusLock, TRUE);
    m_statusText = text != nullptr ? text : L"";
}

CString CSyncJob::GetStatusText() const
{
    CSingleLock hold(&m_statusLock, TRUE);
    return m_statusText;
}

void CSyncJob::AddErrorText(const CString &text)
{
    if (g_pMainDlg.load() == nullptr)
        return;
    m_errorList.SetJobName(m_jobDef->GetName());
    m_errorList.AddErrorItem(text, _time64(nullptr));
}

void CSyncJob::AddStatusError(LPCWSTR text)
{
    AddErrorText(CString(text != nullptr ? text : L""));
}

void CSyncJob::LogStatus(DWORD code)
{
    AddErrorText(GetSystemErrorText(code));
}

void CSyncJob::LogError(DWORD code, LPCWSTR path)
{
    CString text;
    text.Format(m_journalFlag ? 239u : 582u, path != nullptr ? path : L"");
    text += L" - ";
    if (code == ERROR_INVALID_PARAMETER)
    {
        text += AfxLoadText(50014);
    }
    else
    {
        text += GetSystemErrorText(code);
    }
    AddErrorText(text);
}

void CSyncJob::ShowBalloon(BOOL show, LPCWSTR path)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = nullptr;
    data.uID = 0;
    data.uFlags = NIF_ICON | NIF_INFO;
    data.hIcon = ::LoadIconW(nullptr, IDI_WARNING);
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 30000;
    if (!show)
    {
        g_pfnShellNotifyIcon(NIM_DELETE, &data);
        return;
    }
    lstrcpynW(data.szInfoTitle, AfxLoadText(425), ARRAYSIZE(data.szInfoTitle));

    CString folder;
    if (path != nullptr && *path != L'\0')
    {
        folder = path;
        DWORD attributes = ::GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            int slash = folder.ReverseFind(L'\\');
            if (slash >= 0)
                folder = folder.Left(slash + 1);
        }
    }
    else
    {
        folder = m_jobDef->GetDest();
    }
    CString text;
    text.Format(426, folder.GetString(), m_jobDef->GetThreshold());
    lstrcpynW(data.szInfo, text, ARRAYSIZE(data.szInfo));
    g_pfnShellNotifyIcon(NIM_ADD, &data);
}

BOOL CSyncJob::IsRetryableError(DWORD code)
{
    BOOL retryable =
        std::find(std::begin(kRetryableErrors), std::end(kRetryableErrors), code) != std::end(kRetryableErrors);
    m_networkRetry = retryable;
    return retryable;
}

BOOL CSyncJob::CheckDestination(int tries)
{
    if (m_jobDef->GetDestAgent() != 0)
        return TRUE;
    // A job without a drive identity (imported, the one-click job, any job after its destination was
    // changed) is not looked for by identity: its destination is tested as it stands. One with an identity must
    // not write to another drive that took its letter.
    if (m_jobDef->GetDestNet() == 0 && !m_jobDef->GetUuid().IsEmpty() && !IsDestinationDriveOwn())
    {
        m_jobDef->SetHasSrc(0);
        return FALSE;
    }
    if (tries < 1)
        return FALSE;
    CString dest = m_jobDef->GetDest();
    if (GetPathDriveType(dest) != DRIVE_REMOTE && ::GetFileAttributesW(dest) != INVALID_FILE_ATTRIBUTES)
        return TRUE;

    wchar_t unc[kNetPathChars] = {};
    if (GetPathKind(dest) == 1)
    {
        lstrcpynW(unc, dest, kNetPathChars);
    }
    else if (!MappedPathToUnc(dest, unc))
    {
        return FALSE;
    }
    for (size_t length = wcslen(unc); length > 0 && unc[length - 1] == L'\\'; --length)
        unc[length - 1] = L'\0';

    DestinationConnectFunction connect = g_pfnConnectDestination.Get();
    for (int attempt = 0; attempt < tries; ++attempt)
    {
        DWORD error = connect(GetMainWindowHandle(), unc);
        if (error == NO_ERROR)
            return ::GetFileAttributesW(unc) != INVALID_FILE_ATTRIBUTES;
        if (error != ERROR_CANCELLED)
            return FALSE;
    }
    // The user dismissed every prompt: the destination may well be there, so the run is not held back.
    return TRUE;
}

BOOL CSyncJob::Validate()
{
    return CheckRunPaths(nullptr);
}

BOOL CSyncJob::CheckRunPaths(CString *missing)
{
    // A destination drive that came back under another letter is followed there first.
    if (!CheckDestinationDrive(FALSE) || !CheckDestination(1))
    {
        if (missing != nullptr)
            *missing = m_jobDef->GetDest();
        return FALSE;
    }
    if (m_jobDef->GetSourceAgent() != 0)
        return TRUE;
    XmlElementIterator sources(m_element);
    while (sources.Next())
    {
        if (sources.GetName() != L"src")
            continue;
        const CString path = GetXmlPathAttribute(sources.GetElement());
        if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
            return TRUE;
        if (missing != nullptr && missing->IsEmpty())
            *missing = path;
        XmlElementIterator files(sources.GetElement());
        while (files.Next())
        {
            if (files.GetName() == L"file" &&
                ::GetFileAttributesW(GetXmlPathAttribute(files.GetElement())) != INVALID_FILE_ATTRIBUTES)
                return TRUE;
        }
    }
    return FALSE;
}

BOOL CSyncJob::ValidateDueRun()
{
    CString missing;
    if (CheckRunPaths(&missing))
        return TRUE;
    // Every tick would find it again: the user reads it once, and once more only after the job has run.
    if (m_cannotRunLogged.Exchange(TRUE))
        return FALSE;
    // A destination drive that is not the job's is named with its letter and the identities.
    if (!CheckDestinationDrive(TRUE))
        return FALSE;
    const CString name = m_jobDef->GetName();
    if (missing.IsEmpty())
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_WARNING, IDS_LOG_DUE_JOB_NO_SOURCE, FormatNow().GetString(),
                      name.GetString());
    else
        m_log.LogIdAt(L"SyncJob", __LINE__, 0, LM_WARNING, IDS_LOG_DUE_JOB_MISSING_PATH, FormatNow().GetString(),
                      name.GetString(), missing.GetString());
    return FALSE;
}
