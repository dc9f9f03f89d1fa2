// The application object: start-up and shutdown of the main program.
#include "app/start/Qordel.h"

#include <commctrl.h>
#include <objbase.h>
#include <objidl.h>
#include <gdiplus.h>
#include <process.h>

#include "app/run/TrayLink.h"
#include "app/start/QordelObjects.h"
#include "app/window/QordelDlg.h"
#include "engine/continuous/ContinuousRun.h"
#include "engine/destwatch/DestinationWatch.h"
#include "engine/job/SyncJob.h"
#include "engine/log/LogMsg.h"
#include "engine/program/ProgramObjects.h"
#include "engine/run/RunThread.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/system/ComGlue.h"
#include "platform/system/Resources.h"
#include "setup/filters/FilterTree.h"
#include "ui/boxes/MessageBoxDlg.h"
#include "ui/skin/SkinGlobals.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

const wchar_t kMainWindowClass[] = L"BrenmarkZELMain";
const wchar_t kApplicationName[] = L"Velbrook Data Backup";
Seam<DestinationWatchProc> g_pfnDestinationWatch{&RunDestinationWatch};

namespace
{

// A first instance that does not answer its messages must not hold the second start forever.
const UINT kHandOverTimeoutMs = kFirstWindowWaitMs;
// How often a start that met an ending first instance tries again to be the first, and how far apart.
const int kGuardAttempts = 3;
const DWORD kGuardRetryMs = 500;

void SendToWindow(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG, kHandOverTimeoutMs, &result);
}

// The command line with its terminating zero, as the copy-data message that the first instance acts on.
void SendCommandLine(HWND target, LPCWSTR commandLine)
{
    if (target == nullptr || commandLine == nullptr)
        return;
    COPYDATASTRUCT data = {};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>((wcslen(commandLine) + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t *>(commandLine);
    SendToWindow(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

CString TextOf(const _bstr_t &text)
{
    const wchar_t *value = static_cast<const wchar_t *>(text);
    return value != nullptr ? CString(value) : CString();
}

} // namespace

BEGIN_MESSAGE_MAP(CQordelApp, CWinApp)
ON_COMMAND(ID_HELP, &CQordelApp::OnHelp)
END_MESSAGE_MAP()

CQordelApp::CQordelApp() : m_nStartMode(START_MODE_NONE), m_pMainDlg(nullptr)
{
    g_osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&g_osVersion)))
        ::OutputDebugStringW(L"The platform's version could not be read\r\n");
}

CQordelApp::~CQordelApp()
{
    ::OutputDebugStringW(L"~CQordelApp\r\n");
}

BOOL CQordelApp::InitInstance()
{
    // The whole command line, program path included: a second start hands it on unchanged.
    const CString commandLine = ::GetCommandLineW();
    const StartCommand command = ParseStartCommandLine(commandLine);
    m_nStartMode = command.mode;

    // CopyLock is ready: it is built with the program-wide objects, before any job can run.
    const CString programFolder = FolderOfPath(ModulePath());
    g_strLanguageFolder = programFolder;
    ::SetCurrentDirectoryW(programFolder);

    if (!TakeSingleInstanceGuard(command, commandLine))
        return FALSE;

    StartPlatformServices();
    LoadLanguageLibrary();
    InitAppFolder();

    g_strSkinFolder = g_strLanguageFolder + L"Skin\\";
    if (m_started.gdiplusToken != 0)
    {
        LoadSharedSkinImages(g_strSkinFolder);
        m_started.skinImages = true;
    }

    RegisterMainWindowClass();
    m_pszAppName = kApplicationName;

    // Only the NT family keeps its data on the program's drive; other platforms are not supported.
    if (g_osVersion.dwPlatformId != VER_PLATFORM_WIN32_NT)
    {
        g_strIniPath = L"C:\\Tessel.ini";
        g_nProgramExitCode = EXIT_NOT_STARTED;
        return FALSE;
    }
    DWORD dataFolderError = 0;
    if (!MakeDataFolder(dataFolderError))
    {
        ReportDataFolderFailure(command, dataFolderError);
        g_nProgramExitCode = EXIT_NOT_STARTED;
        return FALSE;
    }
    OpenProgramLog();
    WriteAgentOptions();
    g_pfnEnsureDefaultFilterFile.Exchange(&CQordelApp::LoadBasicFilter);
    LoadBasicFilter();
    // Before any job can be built: a job's run takes its worker from there.
    InstallBackupRunThread();
    InstallListFileRunThread();

    try
    {
        if (!CreateMainDialog())
        {
            ReportNoMainWindow(command);
            g_nProgramExitCode = EXIT_NOT_STARTED;
            return FALSE;
        }
        ReportBrokenStore();
        // A one-shot backup ends the start here: the program ends with its run.
        if (ShowMainDialogForStart(*m_pMainDlg, command, m_nStartMode))
            return TRUE;
        StartDestinationWatch();
        // Scheduled and on-change jobs run from the first tick of every start.
        m_pMainDlg->ArmScheduleTimer();
    }
    catch (const _com_error &error)
    {
        CString text;
        text.Format(L"%s Error: 0x%x\r\n%s\r\n%s\r\n", TextOf(error.Source()).GetString(),
                    static_cast<unsigned>(error.Error()), TextOf(error.Description()).GetString(),
                    error.ErrorMessage() != nullptr ? error.ErrorMessage() : L"");
        AppLog.LogAt(L".\\Qordel", __LINE__, ::GetLastError(), LM_ERROR, L"%s\n", text.GetString());
        SkinMessageBox(text, MB_OK);
    }
    // Without its window the program could not be reached or ended by the user: it ends now.
    if (m_pMainDlg == nullptr || m_pMainDlg->GetSafeHwnd() == nullptr)
    {
        g_nProgramExitCode = EXIT_NOT_STARTED;
        return FALSE;
    }

    if (m_nStartMode != START_MODE_NONE)
        SendCommandLine(m_pMainDlg->GetSafeHwnd(), commandLine);
    return TRUE;
}

bool CQordelApp::TakeSingleInstanceGuard(const StartCommand &command, LPCWSTR commandLine)
{
    for (int attempt = 0;; ++attempt)
    {
        if (g_instanceChecker.TakeGuard())
            return true;
        const HandOver result = HandOverToFirstInstance(command, commandLine);
        // A first instance that is ending leaves its block a moment longer: this start then becomes the first, or
        // its request (a drive's backup, say) would go to a program that is going away.
        if (result == HandOver::FirstGone && attempt < kGuardAttempts)
        {
            ::Sleep(kGuardRetryMs);
            continue;
        }
        g_nProgramExitCode = result == HandOver::Done ? EXIT_DONE : EXIT_NOT_STARTED;
        return false;
    }
}

CQordelApp::HandOver CQordelApp::HandOverToFirstInstance(const StartCommand &command, LPCWSTR commandLine)
{
    // The first instance may still be starting: its window is waited for, up to the hand-over's own limit.
    HWND first = g_instanceChecker.ActivatePreviousInstance(command.hidden ? FALSE : TRUE, kFirstWindowWaitMs);
    if (first == nullptr)
    {
        ::OutputDebugStringW(L"The running program showed no window: this start ends\r\n");
        return HandOver::NoWindow;
    }
    if (!::IsWindow(first))
        return HandOver::FirstGone;
    if (command.mode != START_MODE_NONE)
    {
        SendCommandLine(first, commandLine);
        return HandOver::Done;
    }
    SendToWindow(first, WM_SHOW_INSTANCE, 0, 0);
    ::SetForegroundWindow(first);
    ::BringWindowToTop(first);
    ::SetActiveWindow(first);
    ::SetWindowPos(first, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetWindowPos(first, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SendToWindow(first, WM_ACTIVATE_INSTANCE, 0, 0);
    return HandOver::Done;
}

void CQordelApp::ReportDataFolderFailure(const StartCommand &command, DWORD error)
{
    // The program's log lives in the data folder: what went wrong is told where the user sees it.
    CString text;
    text.Format(IDS_DATA_FOLDER_NOT_MADE, g_strDataFolder.GetString(), GetSystemErrorText(error).GetString());
    ::OutputDebugStringW(text + L"\r\n");
    if (IsUnattendedStart(command))
        SendTrayRunStopped(IDS_START_NO_DATA_FOLDER, error);
    else
        SkinMessageBox(text, MB_OK);
}

void CQordelApp::ReportNoMainWindow(const StartCommand &command)
{
    // Without the language library there is no text of its own to show; the log has the line already.
    if (IsUnattendedStart(command))
        return;
    CString text;
    text.Format(L"%s cannot start: its window could not be made. Is \"%sPhrasel.dll\" there?", kApplicationName,
                g_strLanguageFolder.GetString());
    ::MessageBoxW(nullptr, text, kApplicationName, MB_OK | MB_ICONERROR);
}

void CQordelApp::StartPlatformServices()
{
    m_started.com = SUCCEEDED(::CoInitialize(nullptr));
    ::InitCommonControls();
    CWinApp::InitInstance();
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok)
        m_started.gdiplusToken = token;
}

BOOL CQordelApp::RegisterMainWindowClass()
{
    WNDCLASSW windowClass = {};
    // A global class: the main dialog's template lies in the language library, whose instance makes the window.
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = ::DefDlgProcW;
    // The dialog manager keeps its data there; without it every dialog result would be lost.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = AfxGetInstanceHandle();
    windowClass.hIcon = LoadIcon(IDR_MAINFRAME);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kMainWindowClass;
    return ::RegisterClassW(&windowClass) != 0;
}

BOOL CQordelApp::CreateMainDialog()
{
    m_pMainDlg = new CQordelDlg(nullptr);
    m_pMainWnd = m_pMainDlg;
    if (m_pMainDlg->Create(CQordelDlg::IDD))
        return TRUE;
    AppLog.LogAt(L".\\Qordel", __LINE__, ::GetLastError(), LM_ERROR, L"%s\n", L"Unable to create main dialog");
    return FALSE;
}

void CQordelApp::ReportBrokenStore()
{
    const CSyncJobList *jobs = m_pMainDlg->GetJobList();
    const CString &copy = jobs->GetBrokenStoreCopy();
    if (copy.IsEmpty())
        return;
    if (!jobs->IsBrokenStoreCopyMissing())
    {
        AppLog.LogIdAt(L"Qordel", __LINE__, 0, LM_ERROR, IDS_LOG_STORE_UNREADABLE, g_strJobsXmlPath.GetString(),
                       copy.GetString());
        return;
    }
    AppLog.LogIdAt(L"Qordel", __LINE__, 0, LM_ERROR, IDS_LOG_STORE_COPY_FAILED, g_strJobsXmlPath.GetString(),
                   copy.GetString());
    CString text;
    text.Format(IDS_STORE_COPY_MISSING, g_strJobsXmlPath.GetString());
    SkinMessageBox(text, MB_OK);
}

bool ShowMainDialogForStart(CQordelDlg &dialog, const StartCommand &command, int &mode)
{
    if (command.hidden)
    {
        // The window waits in the notification area; without an icon it could not be reached, and shows.
        if (dialog.AddTrayIcon())
            dialog.ShowWindow(SW_HIDE);
        else
            dialog.ShowWindow(SW_SHOW);
        return false;
    }
    if (mode == START_MODE_BACKUP && dialog.HasJobs())
    {
        dialog.ShowWindow(SW_HIDE);
        dialog.RunBackupFromCommandLine();
        return true;
    }
    // A "--select" start shows its job selection dialog first; the request's end shows the window.
    dialog.ShowWindow(mode == START_MODE_SELECT ? SW_HIDE : SW_SHOW);
    dialog.UpdateWindow();
    if (mode == START_MODE_BACKUP)
        mode = START_MODE_NONE;
    return false;
}

void CQordelApp::StartDestinationWatch()
{
    StopEvent.ResetEvent();
    DestinationWatchProc procedure = g_pfnDestinationWatch.Get();
    if (procedure == nullptr)
        return;
    m_started.watchThread.Attach(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, procedure, this, 0, nullptr)));
}

bool IsUnattendedStart(const StartCommand &command)
{
    return command.hidden || command.mode == START_MODE_BACKUP;
}

int CQordelApp::ExitInstance()
{
    EndStartedParts(m_started, StopEvent, [this] {
        delete m_pMainDlg;
        m_pMainDlg = nullptr;
        m_pMainWnd = nullptr;
        g_fontArial30Bold.DeleteObject();
        g_fontArial24.DeleteObject();
    });
    ::OutputDebugStringW(L"ExitInstance\r\n");
    CWinApp::ExitInstance();
    return g_nProgramExitCode;
}

void CQordelApp::OnHelp()
{
}
