#include "SyncJobTestSupport.h"

#include "engine/ProgramObjects.h"
#include "platform/ComGlue.h"
#include "platform/CopyFile.h"
#include "platform/Resources.h"

namespace syncjobtest {

namespace {

const wchar_t kWindowClass[] = L"VelbrookSyncJobTestMainWindow";

bool IsEndMessage(UINT message)
{
    return message == WM_JOB_FINISHED || message == WM_JOB_CANCELLED || message == WM_JOB_FAILED;
}

DWORD CALLBACK SlowProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred, DWORD streamNumber,
                            DWORD callbackReason, HANDLE sourceFile, HANDLE destinationFile, LPVOID data)
{
    DWORD result = CSyncJob::CopyProgressRoutine(totalFileSize, totalBytesTransferred, streamSize,
                                                 streamBytesTransferred, streamNumber, callbackReason, sourceFile,
                                                 destinationFile, data);
    if (Script().delayMs != 0)
        ::Sleep(Script().delayMs);
    return result;
}

unsigned __stdcall TestWorker(void *param)
{
    CSyncJob *job = static_cast<CSyncJob *>(param);
    WorkerScript &script = Script();
    {
        std::lock_guard<std::mutex> hold(script.lock);
        script.started.push_back(job);
    }
    UINT message = WM_JOB_FINISHED;
    if (!script.source.empty()) {
        if (!CopyFileWithProgress(script.source.c_str(), script.target.c_str(), &SlowProgress, job,
                                  job->GetCancelPointer(), 0))
            message = ::GetLastError() == ERROR_REQUEST_ABORTED ? WM_JOB_CANCELLED : WM_JOB_FAILED;
    } else {
        HANDLE handles[] = {script.release.Get(), job->GetStopEvent()};
        for (;;) {
            if (job->m_cancelFlag) {
                message = WM_JOB_CANCELLED;
                break;
            }
            DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, 10);
            if (result == WAIT_OBJECT_0)
                break;
            if (result == WAIT_OBJECT_0 + 1) {
                message = WM_JOB_CANCELLED;
                break;
            }
        }
    }
    PostToMainWindow(message, reinterpret_cast<WPARAM>(job), 0);
    ++script.endedNormally;
    return 0;
}

} // namespace

FakeMainWindow::FakeMainWindow(JobDeque *deque) : m_deque(deque)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &FakeMainWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass);
    m_hWnd = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_pMainDlg = this;
}

FakeMainWindow::~FakeMainWindow()
{
    g_pMainDlg = nullptr;
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hWnd);
}

BOOL FakeMainWindow::GetJobIndex(CSyncJob *job, int &index)
{
    auto found = m_jobIndexes.find(job);
    if (found == m_jobIndexes.end())
        return FALSE;
    index = found->second;
    return TRUE;
}

void FakeMainWindow::SetJobRunning(CSyncJob *job)
{
    job->m_runState = JOB_BUSY;
}

BOOL FakeMainWindow::RunJobNow(CSyncJob *job, int argument)
{
    if (job->GetJobDef()->GetState() == 0)
        return FALSE;
    if (job->m_runState == JOB_IDLE) {
        job->m_startArgument = 1;
        m_deque->Enqueue(job, argument);
    }
    return TRUE;
}

std::vector<PostedMessage> FakeMainWindow::Messages() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_messages;
}

std::vector<PostedMessage> FakeMainWindow::EndMessages() const
{
    std::vector<PostedMessage> ends;
    for (const PostedMessage &message : Messages()) {
        if (IsEndMessage(message.message))
            ends.push_back(message);
    }
    return ends;
}

bool FakeMainWindow::PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs) {
        PumpWaitingMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpWaitingMessages();
    return done();
}

LRESULT CALLBACK FakeMainWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *self = reinterpret_cast<FakeMainWindow *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (self != nullptr && (IsEndMessage(message) || message == WM_JOB_PROGRESS)) {
        self->OnJobMessage(message, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

void FakeMainWindow::OnJobMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    CSyncJob *job = reinterpret_cast<CSyncJob *>(wParam);
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_messages.push_back(PostedMessage{message, job, lParam});
    }
    if (m_recordOnly || !IsEndMessage(message))
        return;
    m_deque->OnJobFinished(job, message == WM_JOB_CANCELLED && lParam == 1);
    job->SetRunningFlag();
    job->OnRunFinished();
}

WorkerScript &Script()
{
    static WorkerScript script;
    return script;
}

ScriptedWorkers::ScriptedWorkers()
{
    WorkerScript &script = Script();
    script.source.clear();
    script.target.clear();
    script.delayMs = 0;
    ::ResetEvent(script.release.Get());
    {
        std::lock_guard<std::mutex> hold(script.lock);
        script.started.clear();
    }
    script.endedNormally = 0;
    SyncJobWorkers workers;
    workers.backup = &TestWorker;
    workers.listFile = &TestWorker;
    m_previous = SetSyncJobWorkers(workers);
}

ScriptedWorkers::~ScriptedWorkers()
{
    ::SetEvent(Script().release.Get());
    SetSyncJobWorkers(m_previous);
}

void UseLanguageLibrary()
{
    static HMODULE library = [] {
        HMODULE module = ::LoadLibraryW((testsupport::LanguageFolder() + L"Phrasel.dll").c_str());
        if (module != nullptr)
            AfxSetResourceHandle(module);
        return module;
    }();
    ASSERT_NE(library, nullptr);
}

void JobTest::SetUp()
{
    ASSERT_TRUE(m_com.Succeeded());
    UseLanguageLibrary();
    m_savedLogPath = g_strLogPath;
    g_strLogPath = (m_folder / L"Zel.log").c_str();
    ASSERT_TRUE(::CreateDirectoryW(Dest().c_str(), nullptr));
    _com_util::CheckError(m_document.CreateInstance(CLSID_DOMDocument30, nullptr, CLSCTX_INPROC_SERVER));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    _com_util::CheckError(m_document->loadXML(_bstr_t(L"<Tessel xmlns=\"ORVANE\"/>"), &loaded));
    ASSERT_EQ(loaded, VARIANT_TRUE);
    SetXmlStoreDocument(m_document);
}

void JobTest::TearDown()
{
    SetXmlStoreDocument(nullptr);
    m_document = nullptr;
    g_strLogPath = m_savedLogPath;
    EXPECT_EQ(GetJobDeque().GetWaitingCount(), 0u);
    EXPECT_EQ(GetJobDeque().GetRunningCount(), 0);
}

std::unique_ptr<CSyncJob> JobTest::NewJob(LPCWSTR name, const std::wstring &dest)
{
    IXMLDOMNodePtr node;
    _com_util::CheckError(m_document->createNode(_variant_t(static_cast<long>(NODE_ELEMENT)), _bstr_t(L"jobdef"),
                                                 _bstr_t(L"ORVANE"), &node));
    IXMLDOMElementPtr element(node);
    XmlSetAttributeString(element, L"name", name);
    XmlSetAttributeString(element, L"dest", dest.c_str());
    XmlSetAttributeInt(element, L"state", 1);
    XmlSetAttributeInt(element, L"js_type", 1);
    auto job = std::make_unique<CSyncJob>();
    job->Attach(element);
    return job;
}

} // namespace syncjobtest
