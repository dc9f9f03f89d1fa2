#include "engine/changes/FileMonOperation.h"

#include <process.h>

#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/ExceptionReport.h"

Seam<PFN_POST_MESSAGE> g_pfnPostFileMonMessage{&::PostMessageW};
Seam<UINT> g_fileMonTickMs{1000};

namespace
{

const wchar_t kWindowClass[] = L"VelbrookFileMonWindow";
constexpr UINT_PTR kTickTimer = 1;

std::vector<FileChangeEntryPtr> One(FileChangeEntryPtr entry)
{
    std::vector<FileChangeEntryPtr> entries;
    entries.push_back(std::move(entry));
    return entries;
}

// What a message still carries when the thread ends without handling it.
void FreeMessage(const MSG &message)
{
    if (message.message == WM_FILEMON_ENTRY)
        delete reinterpret_cast<FileChangeEntry *>(message.wParam);
    else if (message.message == WM_FILEMON_ERROR)
        delete reinterpret_cast<CString *>(message.lParam);
}

} // namespace

CFileMonOperation::CFileMonOperation()
    : m_threadId(0), m_window(nullptr), m_timer(0), m_wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_startedEvent(nullptr),
      m_settler([this](FileChangeEntryPtr entry) { Process(One(std::move(entry)), Handed::Settled); },
                [this](FileChangeEntryPtr entry) { Process(One(std::move(entry)), Handed::StillLocked); },
                [this](std::vector<FileChangeEntryPtr> renames) { Process(std::move(renames), Handed::Renames); }),
      m_processing(false), m_handOverPosted(false)
{
    // A pair whose other side still settles is left to that side's record.
    m_processor.SetPendingTest([this](LPCWSTR path) { return m_settler.IsPending(path); });
    CKernelHandle started(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_startedEvent = started.Get();
    unsigned id = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadEntry, this, 0, &id));
    if (thread == nullptr)
        return;
    m_thread.Attach(thread);
    m_threadId = id;
    // The thread signals once its window is there; a thread that ended first has failed.
    const HANDLE both[] = {started.Get(), thread};
    ::WaitForMultipleObjects(2, both, FALSE, INFINITE);
    m_startedEvent = nullptr;
}

CFileMonOperation::~CFileMonOperation()
{
    Stop();
}

void CFileMonOperation::Stop()
{
    if (!m_thread.IsValid())
        return;
    // A full queue refuses the post until the thread has taken some messages.
    while (!::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0) &&
           ::WaitForSingleObject(m_thread.Get(), 10) == WAIT_TIMEOUT)
    {
    }
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Close();
    m_threadId = 0;
    m_window = nullptr;
}

BOOL CFileMonOperation::AcceptChange(DWORD action, LPCWSTR path, LPCWSTR secondPath)
{
    FileChangeEntryPtr entry = MakeFileChangeEntry(action, path, secondPath);
    if (!entry)
    {
        const LPCWSTR tooLong = FitsChangeEntry(path) ? secondPath : path;
        AppLog.LogIdAt(L"FileMon", __LINE__, ERROR_FILENAME_EXCED_RANGE, LM_ERROR, IDS_LOG_CHANGE_PATH_TOO_LONG,
                       FormatNow().GetString(), tooLong);
        return FALSE;
    }
    if (m_window != nullptr &&
        g_pfnPostFileMonMessage(m_window, WM_FILEMON_ENTRY, reinterpret_cast<WPARAM>(entry.get()), 0))
    {
        entry.release();
        return TRUE;
    }
    NoteLostChange(ERROR_NOTIFY_ENUM_DIR, path);
    return FALSE;
}

void CFileMonOperation::WatchError(DWORD error, LPCWSTR folder)
{
    std::unique_ptr<CString> text(new CString(folder));
    if (m_window != nullptr &&
        g_pfnPostFileMonMessage(m_window, WM_FILEMON_ERROR, error, reinterpret_cast<LPARAM>(text.get())))
    {
        text.release();
        return;
    }
    NoteLostChange(error, folder);
}

void CFileMonOperation::NoteLostChange(DWORD error, LPCWSTR path)
{
    {
        std::lock_guard<std::mutex> hold(m_lostLock);
        const CString text(path);
        for (const LostChange &lost : m_lost)
        {
            if (lost.error == error && lost.path.CompareNoCase(text) == 0)
                return;
        }
        m_lost.push_back(LostChange{error, text});
    }
    ::SetEvent(m_wake.Get());
}

void CFileMonOperation::HandleLostChanges()
{
    std::vector<LostChange> lost;
    {
        std::lock_guard<std::mutex> hold(m_lostLock);
        lost.swap(m_lost);
    }
    for (const LostChange &change : lost)
        m_processor.OnLostChanges(change.error, change.path);
}

unsigned __stdcall CFileMonOperation::ThreadEntry(void *self)
{
    try
    {
        return static_cast<CFileMonOperation *>(self)->RunThread();
    }
    catch (...)
    {
        AfxReportCurrentException("the change-processing thread");
    }
    return static_cast<unsigned>(-1);
}

unsigned CFileMonOperation::RunThread()
{
    // The job store's objects, the shell's file operations and the message boxes of this thread want COM.
    CCoInitialize com(COINIT_APARTMENTTHREADED);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return static_cast<unsigned>(-1);
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
        return static_cast<unsigned>(-1);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    if (!::SetEvent(m_startedEvent))
        return static_cast<unsigned>(-1);

    MSG message;
    bool quit = false;
    while (!quit)
    {
        const HANDLE wake = m_wake.Get();
        if (::MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
        {
            HandleLostChanges();
            UpdateTimer();
            continue;
        }
        while (!quit && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                quit = true;
                break;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    // Records not handled yet are not processed.
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        FreeMessage(message);
    if (m_timer != 0)
        ::KillTimer(window, m_timer);
    m_timer = 0;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK CFileMonOperation::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<CFileMonOperation *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || (message != WM_FILEMON_ENTRY && message != WM_FILEMON_ERROR &&
                            message != WM_FILEMON_HANDOVER && message != WM_TIMER))
        return ::DefWindowProcW(window, message, wParam, lParam);
    try
    {
        self->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        AfxReportCurrentException("the change-processing window", message);
    }
    return 0;
}

void CFileMonOperation::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Everything this message hands over writes its journal records at once, at its end.
    CChangeProcessor::JournalHold hold(m_processor);
    switch (message)
    {
    case WM_FILEMON_ENTRY:
        m_settler.OnNewEntry(FileChangeEntryPtr(reinterpret_cast<FileChangeEntry *>(wParam)));
        break;
    case WM_FILEMON_ERROR: {
        std::unique_ptr<CString> folder(reinterpret_cast<CString *>(lParam));
        m_processor.OnLostChanges(static_cast<DWORD>(wParam), folder ? folder->GetString() : L"");
        break;
    }
    case WM_FILEMON_HANDOVER:
        m_handOverPosted = false;
        OnHandOver();
        break;
    case WM_TIMER:
        OnTick();
        break;
    default:
        break;
    }
    UpdateTimer();
}

void CFileMonOperation::OnTick()
{
    // A tick that comes while a record is processed (a message box dispatches it) waits for the next one.
    if (m_processing)
        return;
    HandleLostChanges();
    if (m_settler.OnTick())
        PostHandOver();
    m_processor.RequestOwedRuns();
}

void CFileMonOperation::OnHandOver()
{
    if (!m_processing && m_settler.HandOver())
        PostHandOver();
}

void CFileMonOperation::PostHandOver()
{
    // Behind the messages that wait already: new changes and errors are taken between two hand-overs.
    if (!m_handOverPosted && m_window != nullptr && ::PostMessageW(m_window, WM_FILEMON_HANDOVER, 0, 0))
        m_handOverPosted = true;
}

void CFileMonOperation::Process(std::vector<FileChangeEntryPtr> entries, Handed how)
{
    if (m_processing)
    {
        m_deferred.emplace_back(std::move(entries), how);
        return;
    }
    struct Busy
    {
        explicit Busy(bool &flag) : m_flag(flag)
        {
            m_flag = true;
        }
        ~Busy()
        {
            m_flag = false;
        }
        bool &m_flag;
    } busy(m_processing);
    auto process = [this](std::vector<FileChangeEntryPtr> records, Handed kind) {
        if (kind == Handed::Renames)
            m_processor.ProcessRenames(std::move(records));
        else if (kind == Handed::StillLocked)
            m_processor.OnStillLocked(std::move(records.front()));
        else
            m_processor.ProcessChangeRecord(std::move(records.front()));
    };
    process(std::move(entries), how);
    while (!m_deferred.empty())
    {
        std::pair<std::vector<FileChangeEntryPtr>, Handed> next = std::move(m_deferred.front());
        m_deferred.erase(m_deferred.begin());
        process(std::move(next.first), next.second);
    }
}

void CFileMonOperation::UpdateTimer()
{
    bool lost;
    {
        std::lock_guard<std::mutex> hold(m_lostLock);
        lost = !m_lost.empty();
    }
    const bool needed = m_settler.HasPending() || m_processor.HasOwedRuns() || m_processor.HasWaitingJournal() || lost;
    if (needed && m_timer == 0)
        m_timer = ::SetTimer(m_window, kTickTimer, g_fileMonTickMs.Get(), nullptr);
    else if (!needed && m_timer != 0)
    {
        ::KillTimer(m_window, m_timer);
        m_timer = 0;
    }
}
