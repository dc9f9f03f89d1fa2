#include "app/support/RunRoadTestSupport.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include "app/start/Qordel.h"
#include "app/support/AppTestSupport.h"
#include "engine/job/CopyErrorList.h"
#include "engine/journal/RestoreJournal.h"
#include "engine/program/ProgramObjects.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "setup/filters/DefaultFilterBuilder.h"

namespace runtest
{

namespace
{

const wchar_t kTrayClass[] = L"Tarnvel_TRAY";
const UINT kTrayProgress = 2180;
const UINT kTrayHideBalloon = 2182;
const UINT kTrayRunStopped = 2183;

RecordingTray *g_tray = nullptr;

std::mutex g_runLock;
std::vector<CSyncJob *> g_started;
std::atomic<DWORD> g_stepMs{100};
std::atomic<bool> g_copyError{false};
std::atomic<bool> g_failure{false};
std::atomic<bool> g_held{false};

int NoMailPrograms(CStringArray &values)
{
    values.RemoveAll();
    for (int i = 0; i < DETECTED_SOURCE_COUNT; ++i)
        values.Add(L"");
    return 1;
}
SeamOverride<PFN_DETECT_FILTER_SOURCES> *g_detector = nullptr;

std::vector<std::wstring> g_shellStarts;
HINSTANCE WINAPI RecordShellStart(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    std::wstring start = file != nullptr ? file : L"";
    if (parameters != nullptr && *parameters != L'\0')
        start += std::wstring(L" ") + parameters;
    g_shellStarts.push_back(start);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

} // namespace

RecordingTray::RecordingTray()
{
    g_tray = this;
    CKernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE readyEvent = ready.Get();
    m_thread = std::thread([this, readyEvent] { Run(readyEvent); });
    ::WaitForSingleObject(readyEvent, 10000);
}

RecordingTray::~RecordingTray()
{
    if (m_window != nullptr)
        ::PostMessageW(m_window, WM_CLOSE, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
    g_tray = nullptr;
}

void RecordingTray::Run(HANDLE ready)
{
    m_threadId = ::GetCurrentThreadId();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &RecordingTray::Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTrayClass;
    ::RegisterClassW(&windowClass);
    m_window = ::CreateWindowExW(0, kTrayClass, L"Velbrook Data Backup", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    ::SetEvent(ready);
    if (m_window == nullptr)
        return;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
}

LRESULT CALLBACK RecordingTray::Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if ((message == kTrayProgress || message == kTrayHideBalloon || message == kTrayRunStopped) && g_tray != nullptr)
    {
        std::lock_guard<std::mutex> hold(g_tray->m_lock);
        g_tray->m_messages.push_back({message, wParam});
        return 0;
    }
    if (message == WM_CLOSE)
    {
        ::DestroyWindow(hWnd);
        return 0;
    }
    if (message == WM_DESTROY)
    {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

std::vector<std::pair<UINT, WPARAM>> RecordingTray::Messages() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_messages;
}

int EndTrayPrograms(DWORD waitMs)
{
    std::vector<HANDLE> trays;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
    {
        if (_wcsicmp(entry.szExeFile, L"Tarnvel_Tray.exe") != 0)
            continue;
        HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
        if (process != nullptr)
            trays.push_back(process);
    }
    ::CloseHandle(snapshot);
    int ended = 0;
    for (HANDLE tray : trays)
    {
        if (::WaitForSingleObject(tray, waitMs) != WAIT_OBJECT_0)
        {
            ::TerminateProcess(tray, 1);
            ::WaitForSingleObject(tray, 5000);
            ++ended;
        }
        ::CloseHandle(tray);
    }
    return ended;
}

ScriptedRuns::ScriptedRuns() : m_workers(g_syncJobWorkers, SyncJobWorkers{&ScriptedRuns::Run, &ScriptedRuns::Run})
{
    std::lock_guard<std::mutex> hold(g_runLock);
    g_started.clear();
    g_stepMs = 100;
    g_copyError = false;
    g_failure = false;
    g_held = false;
}

ScriptedRuns::~ScriptedRuns() = default;

void ScriptedRuns::SetStepTime(DWORD stepMs)
{
    g_stepMs = stepMs;
}

void ScriptedRuns::SetHeld(bool held)
{
    g_held = held;
}

void ScriptedRuns::SetCopyError(bool error)
{
    g_copyError = error;
}

void ScriptedRuns::SetFailure(bool failure)
{
    g_failure = failure;
}

std::vector<CSyncJob *> ScriptedRuns::Started() const
{
    std::lock_guard<std::mutex> hold(g_runLock);
    return g_started;
}

unsigned __stdcall ScriptedRuns::Run(void *param)
{
    CSyncJob *job = static_cast<CSyncJob *>(param);
    {
        std::lock_guard<std::mutex> hold(g_runLock);
        g_started.push_back(job);
    }
    job->m_bytesDone = 0;
    job->m_bytesTotal = 1000;
    if (job->m_journalFlag)
        job->GetRestoreJournal()->Open(job->GetJobDef()->GetName(), 1);
    while (g_held && !job->m_cancelFlag)
        ::Sleep(10);
    for (int step = 0; step < 10; ++step)
    {
        ::Sleep(g_stepMs);
        if (job->m_cancelFlag)
        {
            PostToMainWindow(WM_JOB_CANCELLED, reinterpret_cast<WPARAM>(job), 0);
            return 0;
        }
        if (g_failure && step == 5)
        {
            PostToMainWindow(WM_JOB_FAILED, reinterpret_cast<WPARAM>(job), 0);
            return 0;
        }
        job->m_bytesDone += 100;
        if (job->m_journalFlag)
        {
            CString name;
            name.Format(L"Step%d.txt", step);
            job->GetRestoreJournal()->Append(L"F:\\Backup\\" + name, L"F:\\Docs\\" + name);
        }
    }
    if (g_copyError)
    {
        job->GetErrorList().AddErrorItem(L"Could not copy F:\\Docs\\Report.txt", 1700000000);
        job->m_errorCount = 1;
    }
    job->m_progressPercent = 100;
    job->GetJobDef()->SetCompleteStatus(1);
    PostToMainWindow(WM_JOB_FINISHED, reinterpret_cast<WPARAM>(job), g_copyError ? 1 : 0);
    return 0;
}

void RunRoadTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(FaceTest::SetUp());
    ASSERT_TRUE(apptest::MainWindows().empty()) << "a main window of another test is still open";
    m_drive = std::make_unique<enginetest::TestDrive>(L'F', m_driveFolder.Path());
    ASSERT_EQ(m_drive->Error(), L"");

    m_saved = {g_strProgramDrive, g_strSystemDrive, g_strComputerName, g_strComputerFolder, g_strDataFolder,
               g_strFilterFolder, g_strJobsXmlPath, g_strIniPath,      g_strLogPath,        g_strAppFolder};
    g_strProgramDrive = L"F:\\";
    g_strSystemDrive = L"F:\\";
    g_strComputerName = L"Tester";
    g_strComputerFolder = L"F:\\Backup Data\\Tester";
    g_strDataFolder = g_strComputerFolder + L"\\Velbrook Data Backup\\";
    g_strFilterFolder = g_strDataFolder;
    g_strJobsXmlPath = g_strDataFolder + L"Zel.xml";
    g_strIniPath = g_strDataFolder + L"Zel.ini";
    g_strLogPath = g_strDataFolder + L"Zel.log";
    g_strAppFolder = L"F:\\Program\\";
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, Local(L"Backup Data\\Tester\\Velbrook Data Backup").c_str(), nullptr),
              ERROR_SUCCESS);
    ASSERT_TRUE(::CreateDirectoryW(Local(L"Program").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Local(L"Docs").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Local(L"Backup").c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW((testsupport::LanguageFolder() + L"BasicFilter.xml").c_str(),
                            Local(L"Backup Data\\Tester\\Velbrook Data Backup\\BasicFilter.xml").c_str(), FALSE));

    g_detector = new SeamOverride<PFN_DETECT_FILTER_SOURCES>(g_pfnDetectFilterSources, &NoMailPrograms);
    m_boxHook = std::make_unique<SeamOverride<MessageBoxAnswer>>(g_messageBoxAnswer,
                                                                 [this](UINT textId, const CString &, UINT) {
                                                                     m_boxes.push_back(textId);
                                                                     return m_answer;
                                                                 });
    g_shellStarts.clear();
    m_shellHook = std::make_unique<SeamOverride<ShellExecuteFunction>>(g_pfnMainShellExecute, &RecordShellStart);
    m_runs = std::make_unique<ScriptedRuns>();

    WNDCLASSW windowClass = {};
    windowClass.style = CS_DBLCLKS | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = ::DefDlgProcW;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = AfxGetInstanceHandle();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainWindowClass;
    ::RegisterClassW(&windowClass);
}

void RunRoadTest::TearDown()
{
    if (m_dialog)
    {
        // The run queue is the process's: no run may outlive its test.
        PumpFor([this] { return m_dialog->GetRunningJobCount() == 0; }, 20000);
        EXPECT_EQ(m_dialog->GetRunningJobCount(), 0u) << "a run did not end";
    }
    if (AfxGetApp() != nullptr)
        AfxGetApp()->m_pMainWnd = nullptr;
    m_dialog.reset();
    Pump();
    m_runs.reset();
    m_shellHook.reset();
    m_boxHook.reset();
    delete g_detector;
    g_detector = nullptr;
    if (m_saved.size() == 10)
    {
        g_strProgramDrive = m_saved[0];
        g_strSystemDrive = m_saved[1];
        g_strComputerName = m_saved[2];
        g_strComputerFolder = m_saved[3];
        g_strDataFolder = m_saved[4];
        g_strFilterFolder = m_saved[5];
        g_strJobsXmlPath = m_saved[6];
        g_strIniPath = m_saved[7];
        g_strLogPath = m_saved[8];
        g_strAppFolder = m_saved[9];
    }
    m_drive.reset();
    FaceTest::TearDown();
}

void RunRoadTest::MakeDialog(const std::string &jobdefs)
{
    MakeDialogOverStore("<?xml version=\"1.0\"?>\r\n<Tessel xmlns=\"ORVANE\">" + jobdefs + "</Tessel>\r\n");
}

void RunRoadTest::MakeDialogOverStore(const std::string &store)
{
    ASSERT_TRUE(testsupport::WriteFileBytes(Local(L"Backup Data\\Tester\\Velbrook Data Backup\\Zel.xml"), store));
    // The dialog loads the job list's images itself.
    CJobListView::FreeImages();
    m_dialog.reset(new CQordelDlg(nullptr));
    ASSERT_TRUE(m_dialog->Create(CQordelDlg::IDD)) << "the main dialog from the language library";
    AfxGetApp()->m_pMainWnd = m_dialog.get();
}

std::wstring RunRoadTest::OnDrive(const std::wstring &relative)
{
    return L"F:\\" + relative;
}

std::wstring RunRoadTest::Local(const std::wstring &relative) const
{
    return m_driveFolder / relative;
}

std::string RunRoadTest::StoreText() const
{
    return testsupport::ReadFileBytes(Local(L"Backup Data\\Tester\\Velbrook Data Backup\\Zel.xml"));
}

std::vector<std::wstring> RunRoadTest::ShellStarts()
{
    return g_shellStarts;
}

void RunRoadTest::PumpRecordingQuit()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            m_quitSeen = true;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void RunRoadTest::Command(UINT id)
{
    ::SendMessageW(m_dialog->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

} // namespace runtest
