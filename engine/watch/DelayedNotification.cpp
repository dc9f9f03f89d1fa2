#include "engine/watch/DelayedNotification.h"

#include <process.h>

#include <atomic>
#include <new>

#include "engine/watch/WatchWaits.h"
#include "platform/system/ExceptionReport.h"
#include "platform/system/Handles.h"

Seam<PFN_POST_MESSAGE> g_pfnPostDelayedRecord{&::PostMessageW};

namespace
{

const wchar_t kWindowClass[] = L"Delayed_Message_Sender";
const wchar_t kWindowName[] = L"DelayedWnd";

CCriticalSection g_windowLock;
std::atomic<HWND> g_window{nullptr};

LRESULT CALLBACK DelayedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DELAYED_RECORD)
    {
        if (lParam != 0)
            DispatchDelayedRecord(reinterpret_cast<DelayedRecord *>(lParam));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class CDelayedNotificationWindow : public CDelayedNotifier
{
  public:
    BOOL PostRecord(DelayedRecord *record) override
    {
        HWND window = g_window.load();
        return window != nullptr &&
               g_pfnPostDelayedRecord(window, WM_DELAYED_RECORD, 0, reinterpret_cast<LPARAM>(record));
    }
};

// The notification thread shared by the wrappers without the has-GUI flag: the first notifier starts it, the
// last one ends it.
CCriticalSection g_threadLock;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
int g_threadNotifiers = 0;

unsigned __stdcall NotificationThreadProc(void *readyEvent)
{
    MSG message;
    // The queue exists once the thread has peeked at it; only then may records be posted.
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ::SetEvent(static_cast<HANDLE>(readyEvent));
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        if (message.message == WM_DELAYED_RECORD && message.lParam != 0)
            DispatchDelayedRecord(reinterpret_cast<DelayedRecord *>(message.lParam));
    }
    return 0;
}

class CDelayedNotificationThread : public CDelayedNotifier
{
  public:
    CDelayedNotificationThread()
    {
        CSingleLock hold(&g_threadLock, TRUE);
        ++g_threadNotifiers;
        if (g_thread != nullptr)
            return;
        CKernelHandle ready(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        unsigned id = 0;
        HANDLE thread = reinterpret_cast<HANDLE>(
            _beginthreadex(nullptr, 0, &NotificationThreadProc, static_cast<HANDLE>(ready), 0, &id));
        if (thread == nullptr)
            return;
        const HANDLE both[] = {ready, thread};
        if (::WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0)
        {
            ::CloseHandle(thread);
            return;
        }
        g_thread = thread;
        g_threadId = id;
    }
    ~CDelayedNotificationThread() override
    {
        CSingleLock hold(&g_threadLock, TRUE);
        if (--g_threadNotifiers > 0 || g_thread == nullptr)
            return;
        ::PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
        // The last wrapper may go on the notification thread itself, as its last record is freed: that thread
        // ends by itself once this record is done.
        if (::GetCurrentThreadId() != g_threadId)
            ::WaitForSingleObject(g_thread, INFINITE);
        ::CloseHandle(g_thread);
        g_thread = nullptr;
        g_threadId = 0;
    }
    BOOL PostRecord(DelayedRecord *record) override
    {
        CSingleLock hold(&g_threadLock, TRUE);
        return g_threadId != 0 &&
               ::PostThreadMessageW(g_threadId, WM_DELAYED_RECORD, 0, reinterpret_cast<LPARAM>(record));
    }
};

std::vector<CString> SplitPatterns(LPCWSTR filter)
{
    std::vector<CString> patterns;
    const CString text(filter);
    int start = 0;
    while (start <= text.GetLength())
    {
        int end = text.Find(L';', start);
        if (end < 0)
            end = text.GetLength();
        if (end > start)
            patterns.push_back(text.Mid(start, end - start));
        start = end + 1;
    }
    return patterns;
}

bool MatchesAny(const std::vector<CString> &patterns, LPCWSTR name)
{
    for (const CString &pattern : patterns)
    {
        if (MatchWildcard(name, pattern))
            return true;
    }
    return false;
}

} // namespace

BOOL EnsureDelayedWindow()
{
    CSingleLock hold(&g_windowLock, TRUE);
    HWND window = g_window.load();
    if (window != nullptr && ::IsWindow(window))
        return TRUE;
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &DelayedWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return FALSE;
    // Message-only: the records reach the thread without a display.
    window = ::CreateWindowExW(0, kWindowClass, kWindowName, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    g_window = window;
    return window != nullptr;
}

std::unique_ptr<CDelayedNotifier> MakeDelayedNotifier(BOOL hasGui)
{
    if (!hasGui)
    {
        std::unique_ptr<CDelayedNotifier> notifier(new CDelayedNotificationThread());
        return notifier;
    }
    if (!EnsureDelayedWindow())
        return nullptr;
    return std::make_unique<CDelayedNotificationWindow>();
}

bool MatchWildcard(LPCWSTR name, LPCWSTR pattern)
{
    LPCWSTR star = nullptr;
    LPCWSTR retry = nullptr;
    while (*name != L'\0')
    {
        if (*pattern == L'*')
        {
            star = ++pattern;
            retry = name;
        }
        else if (*pattern == L'?' || *pattern == *name)
        {
            ++pattern;
            ++name;
        }
        else if (star != nullptr)
        {
            pattern = star;
            name = ++retry;
        }
        else
        {
            return false;
        }
    }
    while (*pattern == L'*')
        ++pattern;
    return *pattern == L'\0';
}

CDelayedDirectoryChangeHandler::CDelayedDirectoryChangeHandler(CDirectoryChangeHandler *handler, BOOL hasGui,
                                                               LPCWSTR include, LPCWSTR exclude, DWORD filterFlags)
    : m_handler(handler), m_hasGui(hasGui), m_filterFlags(filterFlags), m_relativeOffset(0), m_stopEvent(FALSE, FALSE),
      m_hasInclude(include != nullptr && *include != L'\0'), m_hasExclude(exclude != nullptr && *exclude != L'\0'),
      m_postFailed(0)
{
    if (m_handler != nullptr)
        m_handler->AddRef();
    if (m_hasInclude)
        m_include = SplitPatterns(include);
    if (m_hasExclude)
        m_exclude = SplitPatterns(exclude);
    m_notifier = MakeDelayedNotifier(hasGui);
}

CDelayedDirectoryChangeHandler::~CDelayedDirectoryChangeHandler()
{
    m_notifier.reset();
    if (m_handler != nullptr)
        m_handler->Release();
}

void CDelayedDirectoryChangeHandler::SetFolder(LPCWSTR folder)
{
    m_folder = folder;
    m_relativeOffset = 0;
    if (m_filterFlags & kFilterRelativePath)
        m_relativeOffset = m_folder.GetLength() + (m_folder.Right(1) == L"\\" ? 0 : 1);
}

void CDelayedDirectoryChangeHandler::FileAdded(LPCWSTR path)
{
    Post(kRecordAdded, path, nullptr, 0);
}

void CDelayedDirectoryChangeHandler::FileRemoved(LPCWSTR path)
{
    Post(kRecordRemoved, path, nullptr, 0);
}

void CDelayedDirectoryChangeHandler::FileRenamed(LPCWSTR oldPath, LPCWSTR newPath)
{
    Post(kRecordRenamed, oldPath, newPath, 0);
}

void CDelayedDirectoryChangeHandler::FileModified(LPCWSTR path)
{
    Post(kRecordModified, path, nullptr, 0);
}

void CDelayedDirectoryChangeHandler::WatchError(DWORD error, LPCWSTR folder)
{
    Post(kRecordError, folder, nullptr, error);
}

void CDelayedDirectoryChangeHandler::WatchStarted(DWORD error, LPCWSTR folder)
{
    if (!(m_filterFlags & kFilterNoStartNotice))
        Post(kRecordStarted, folder, nullptr, error);
}

void CDelayedDirectoryChangeHandler::WatchStopped(LPCWSTR folder)
{
    if (m_filterFlags & kFilterNoStopHandshake)
        return;
    m_stopEvent.ResetEvent();
    if (!Post(kRecordStopped, folder, nullptr, 0))
        return;
    if (m_hasGui)
        WaitDispatchingMessages(m_stopEvent.m_hObject);
    else
        ::WaitForSingleObject(m_stopEvent.m_hObject, INFINITE);
}

BOOL CDelayedDirectoryChangeHandler::TakePostFailure()
{
    return ::InterlockedExchange(&m_postFailed, 0) != 0;
}

bool CDelayedDirectoryChangeHandler::Post(DWORD kind, LPCWSTR path, LPCWSTR secondPath, DWORD error)
{
    DelayedRecord *record =
        new (std::nothrow) DelayedRecord{this, kind, path, secondPath, m_folder, error, m_relativeOffset};
    if (record != nullptr)
    {
        AddRef();
        if (m_notifier != nullptr && m_notifier->PostRecord(record))
            return true;
        delete record;
        Release();
    }
    ::InterlockedExchange(&m_postFailed, 1);
    return false;
}

bool CDelayedDirectoryChangeHandler::PassesPatterns(const CString &path, DWORD offset) const
{
    LPCWSTR name = path.GetString() + (offset < static_cast<DWORD>(path.GetLength()) ? offset : path.GetLength());
    if (m_filterFlags & kFilterNameOnly)
        name = path.GetString() + path.ReverseFind(L'\\') + 1;
    const bool included = !m_hasInclude || MatchesAny(m_include, name);
    const bool excluded = m_hasExclude && MatchesAny(m_exclude, name);
    return included && !excluded;
}

bool CDelayedDirectoryChangeHandler::Passes(const DelayedRecord &record)
{
    const DWORD flags = m_filterFlags;
    if ((flags & kFilterNoPatterns) && (flags & kFilterNoAccept))
        return true;
    if (record.kind >= kRecordError)
        return true;
    const bool askFirst = (flags & kFilterAcceptFirst) && !(flags & kFilterNoAccept);
    if (askFirst && !m_handler->AcceptChange(record.kind, record.path, record.secondPath))
        return false;
    if (!(flags & kFilterNoPatterns) && !PassesPatterns(record.path, record.relativeOffset))
    {
        // A rename counts by its new name as well: x.tmp renamed to x.doc is a document now.
        if (record.kind != kRecordRenamed || !PassesPatterns(record.secondPath, record.relativeOffset))
            return false;
    }
    if (flags & (kFilterAcceptFirst | kFilterNoAccept))
        return true;
    return m_handler->AcceptChange(record.kind, record.path, record.secondPath) != FALSE;
}

void CDelayedDirectoryChangeHandler::Dispatch(const DelayedRecord &record)
{
    const bool stop = record.kind == kRecordStopped;
    try
    {
        if (m_handler != nullptr && Passes(record))
        {
            m_handler->SetCurrentFolder(record.folder);
            switch (record.kind)
            {
            case kRecordAdded:
                m_handler->FileAdded(record.path);
                break;
            case kRecordRemoved:
                m_handler->FileRemoved(record.path);
                break;
            case kRecordModified:
                m_handler->FileModified(record.path);
                break;
            case kRecordRenamed:
                m_handler->FileRenamed(record.path, record.secondPath);
                break;
            case kRecordError:
                m_handler->WatchError(record.error, record.path);
                break;
            case kRecordStarted:
                m_handler->WatchStarted(record.error, record.path);
                break;
            case kRecordStopped:
                m_handler->WatchStopped(record.path);
                break;
            default:
                break;
            }
        }
    }
    catch (...)
    {
        if (stop)
        {
            ::MessageBeep(0xFFFF);
            ::MessageBeep(0xFFFF);
        }
        AfxReportCurrentException("a directory change notification");
    }
    // The watcher's worker waits for this before the watch goes.
    if (stop)
        m_stopEvent.SetEvent();
}

void DispatchDelayedRecord(DelayedRecord *record)
{
    std::unique_ptr<DelayedRecord> owned(record);
    CDelayedDirectoryChangeHandler *owner = owned->owner;
    owner->Dispatch(*owned);
    owned.reset();
    owner->Release();
}
