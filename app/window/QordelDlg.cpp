// The main dialog's construction and destruction, and what the job engine asks of the main window.
#include "app/window/QordelDlg.h"

#include "app/start/QordelObjects.h"
#include "engine/continuous/DirectoryWatch.h"
#include "engine/job/SyncJob.h"
#include "engine/program/ProgramObjects.h"
#include "engine/windows/ErrorReportDlg.h"
#include "engine/windows/ProgressDialog.h"
#include "platform/system/Resources.h"
#include "platform/windows/WinApp.h"
#include "setup/wizard/TesselWizard.h"
#include "ui/skin/SkinGlobals.h"

namespace
{

const wchar_t *const kDocumentExtensions[] = {
    L".doc",  L".docx", L".dot",  L".docm", L".dotx", L".dotm", L".mdb",  L".accdb", L".adp",
    L".xls",  L".xlsx", L".xlsm", L".xlsb", L".xlam", L".xltm", L".xltx", L".ppt",   L".pptx",
    L".pptm", L".ppsm", L".ppsx", L".pot",  L".potx", L".potm", L".pst",  L".pub",
};

struct SkinButtonPlace
{
    UINT commandId;
    RECT rect;
    int image; // a slot of g_skinImages, or -1
};
const SkinButtonPlace kSkinButtons[MAIN_BUTTON_COUNT] = {
    {IDC_RUN_JOBS, {0, 0, 100, 30}, -1},
    {IDC_BACK, {0, 50, 100, 80}, -1},
    {IDC_RUN_JOBS, {51, 453, 77, 479}, SKIN_IMAGE_HELP},
    {IDCANCEL, {0, 10, 0, 34}, SKIN_IMAGE_CLOSE},
    {SC_MINIMIZE, {541, 10, 565, 34}, SKIN_IMAGE_MINIMIZE},
};

} // namespace

CQordelDlg::CQordelDlg(CWnd *pParent)
    : CDialog(IDD, pParent), viewState(0), restoreToOtherFolder(0), restoreOption(0), useBasicFilter(FALSE),
      m_pJobListView(nullptr), m_pageWindows{}, m_pProgressDlg(nullptr), m_backupPage(0),
      m_restorePage(0), m_skinButtons{}, m_trayIcon{}, m_hIcon(nullptr), m_backgroundColour(kMainBackgroundColour),
      m_oneShotRun(FALSE), m_userOpenedWindow(TRUE), m_progressShown(FALSE), m_inTray(FALSE),
      m_showingStringMessage(FALSE), m_pHeldJob(nullptr), m_pOneShotJob(nullptr), m_storeSaveFailureShown(FALSE),
      m_jobSetupOpen(FALSE)
{
    m_hIcon = AfxGetApp() != nullptr ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
    // The window is not known yet; OnInitDialog completes the record.
    m_trayIcon.cbSize = sizeof(NOTIFYICONDATAW);
    m_trayIcon.uID = 1;
    m_trayIcon.uFlags = NIF_MESSAGE;
    m_trayIcon.uCallbackMessage = WM_MAIN_TRAY_NOTIFY;
    m_trayIcon.hIcon = m_hIcon;

    g_pMainDlg.store(this);

    CreateFonts();
    FillDocumentExtensions();
    m_strMenuDisable = AfxLoadText(IDS_MENU_DISABLE_JOB);
    m_strMenuEnable = AfxLoadText(IDS_MENU_ENABLE_JOB);

    // Without the block the window works on, only without job status messages.
    m_statusBlock.Start(&m_jobList);

    if (g_strSkinFolder.IsEmpty())
        g_strSkinFolder = g_strAppFolder + L"Skin\\";
    m_brenmarkZel.reset(new Gdiplus::Image(g_strSkinFolder + L"brenmarkzel.png"));
    LoadMainSkinImages(g_strSkinFolder);
    CJobListView::LoadImages(g_strSkinFolder);
    CTesselWizard::LoadStepImages(g_strSkinFolder);

    CreateSkinButtons();
    m_driveBar.SetSkinFolder(g_strSkinFolder);
    CreateProgressWindow();
}

CQordelDlg::~CQordelDlg()
{
    IMainWindowServices *self = this;
    g_pMainDlg.compare_exchange_strong(self, nullptr);
    ::OutputDebugStringW(L"In ~CQordelDlg\r\n");
    SaveStoreAtClose();
    // The window goes first, so that no message reaches the dialog while its members are taken down.
    if (m_hWnd != nullptr)
        DestroyWindow();
    // The copy-error windows read their jobs' items: they go before the jobs do.
    m_errorReports.clear();
    for (CSkinButtonNew *&button : m_skinButtons)
    {
        delete button;
        button = nullptr;
    }
    if (m_pProgressDlg != nullptr)
    {
        m_pProgressDlg->DestroyWindow();
        delete m_pProgressDlg;
        m_pProgressDlg = nullptr;
    }
    m_statusBlock.Stop();
    // GDI+ images must go before GDI+ shuts down, which the application does after deleting the dialog.
    CJobListView::FreeImages();
    CTesselWizard::FreeStepImages();
    m_brenmarkZel.reset();
    FreeMainSkinImages();
    ::OutputDebugStringW(L"Out ~CQordelDlg\r\n");
}

void CQordelDlg::CreateFonts()
{
    struct FontSpec
    {
        CFont &font;
        int height;
        int weight;
    };
    const FontSpec fonts[] = {
        {g_fontArial30Bold, 30, FW_BOLD}, {g_fontArial24, 24, FW_NORMAL}, {g_fontArial15Bold, 15, FW_BOLD}};
    for (const FontSpec &spec : fonts)
    {
        spec.font.DeleteObject();
        spec.font.CreateFont(spec.height, 0, 0, 0, spec.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH,
                             L"Arial");
    }
}

void CQordelDlg::FillDocumentExtensions()
{
    m_documentExtensions.RemoveAll();
    for (LPCWSTR extension : kDocumentExtensions)
        m_documentExtensions.Add(extension);
}

void CQordelDlg::CreateSkinButtons()
{
    for (int i = 0; i < MAIN_BUTTON_COUNT; ++i)
    {
        const SkinButtonPlace &place = kSkinButtons[i];
        m_skinButtons[i] = new CSkinButtonNew(L"", place.commandId, &place.rect, nullptr);
        if (place.image >= 0)
            m_skinButtons[i]->SetImage(g_skinImages[place.image]);
    }
}

void CQordelDlg::CreateProgressWindow()
{
    m_pProgressDlg = new CProgressDialog(this);
    // Hidden until a run is shown; the template has no visible style.
    if (m_pProgressDlg->GetSafeHwnd() == nullptr)
        m_pProgressDlg->Create(CProgressDialog::IDD, this);
}

ULONGLONG CQordelDlg::GetProgramDriveCapacity() const
{
    ULARGE_INTEGER available = {};
    if (g_strProgramDrive.IsEmpty() || !::GetDiskFreeSpaceExW(g_strProgramDrive, &available, nullptr, nullptr))
        return 0;
    return available.QuadPart;
}

BOOL CQordelDlg::HasJobs() const
{
    return m_jobList.GetCount() > 0;
}

HWND CQordelDlg::GetWindowHandle() const
{
    return m_hWnd;
}

CSyncJobList *CQordelDlg::GetJobList()
{
    return &m_jobList;
}

HANDLE CQordelDlg::GetStatusBlockHandle() const
{
    return m_statusBlock.GetBlock();
}

int CQordelDlg::GetMode() const
{
    return viewState;
}

void CQordelDlg::SetMode(int mode)
{
    viewState = mode;
}

BOOL CQordelDlg::GetJobIndex(CSyncJob *job, int &index)
{
    // The view may be going with the window on the user-interface thread; the lock keeps it while it is asked.
    CSingleLock hold(&m_viewLock, TRUE);
    return m_pJobListView != nullptr && m_pJobListView->FindJob(job, index) ? TRUE : FALSE;
}

void CQordelDlg::SetJobRunning(CSyncJob *job)
{
    if (job != nullptr)
        job->m_runState = JOB_BUSY;
}

void CQordelDlg::ReportError(CSyncJob *job, int, int)
{
    const DWORD error = ::GetLastError();
    if (job != nullptr)
        job->GetLog().LogAt(L"QordelDlg", __LINE__, error, LM_ERROR, L"%D %m\n");
}

void CQordelDlg::UpdateJob(CJobDef *jobDef)
{
    HWND window = GetSafeHwnd();
    if (jobDef != nullptr && window != nullptr)
        ::PostMessageW(window, WM_MAIN_UPDATE_JOB, reinterpret_cast<WPARAM>(jobDef), 0);
}

void CQordelDlg::JobListInsert(CSyncJob *job)
{
    if (job != nullptr && m_pJobListView != nullptr)
        m_pJobListView->AddJob(job->GetJobDef());
}

CStringArray &CQordelDlg::GetPendingSources()
{
    return m_pendingSources;
}

void CQordelDlg::SetPageWindow(int page, CWnd *window)
{
    if (page == 0 || page == 1)
        m_pageWindows[page] = window;
}

void CQordelDlg::SetProgressShown(BOOL shown)
{
    m_progressShown = shown;
}

Gdiplus::Image *CQordelDlg::GetCloseImage()
{
    CSkinButtonNew *close = m_skinButtons[MAIN_BUTTON_CLOSE];
    return close != nullptr ? close->GetImage() : nullptr;
}
