// CQordelDlg: the modeless main window of the program (template 378 of the language library, window class
// "BrenmarkZELMain"). It holds the job collection and is what the job engine knows as the main window
// (IMainWindowServices, g_pMainDlg). It derives from the platform's dialog, not from the skinned dialog base: it
// paints its own skin.
//
// The files of the class: QordelDlg.cpp (construction, destruction and what the engine asks of the window),
// QordelDlgInit.cpp (OnInitDialog) and QordelDlgCommands.cpp (close, system menu, about box, help).
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "engine/job/MainWindowServices.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Menu.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/text/Collections.h"
#include "platform/text/Geometry.h"
#include "platform/windows/Dialog.h"
#include "ui/controls/EditWithButton.h"
#include "ui/skin/SkinElement.h"

class CProgressDialog;

// The about box's item in the system menu.
constexpr UINT IDM_ABOUTBOX = 16;
// The tray icon's callback message.
constexpr UINT WM_MAIN_TRAY_NOTIFY = WM_USER + 1;
// Posted by RequestRun from another thread; wParam is the job.
constexpr UINT WM_MAIN_REQUEST_RUN = WM_APP + 1;
// The main window's background colour (red 222, green 242, blue 255).
constexpr COLORREF kMainBackgroundColour = RGB(222, 242, 255);

// The five skin buttons of the main window.
enum MainSkinButton
{
    MAIN_BUTTON_RUN,      // 1140, the big Backup/Restore button
    MAIN_BUTTON_BACK,     // 1143
    MAIN_BUTTON_HELP,     // 1140, "help_4.png"
    MAIN_BUTTON_CLOSE,    // IDCANCEL, "close_4.png"
    MAIN_BUTTON_MINIMIZE, // SC_MINIMIZE, "min_4.png"
    MAIN_BUTTON_COUNT
};

class CQordelDlg : public CDialog, public IMainWindowServices
{
  public:
    // Builds the job collection (which loads the job store; COM errors raise _com_error), the skin buttons and the
    // hidden progress window, and becomes g_pMainDlg. The window is made afterwards, by Create(IDD).
    explicit CQordelDlg(CWnd *pParent = nullptr);
    // Stops being g_pMainDlg first, destroys the window, then the progress window and the jobs (each job stops
    // its own worker).
    ~CQordelDlg() override;

    static constexpr UINT IDD = IDD_QORDEL_DIALOG;

    BOOL OnInitDialog() override;
    // TRUE when the job collection holds at least one job.
    BOOL HasJobs() const;

    // --- What the job engine asks of the main window ---
    HWND GetWindowHandle() const override;
    CSyncJobList *GetJobList() override;
    // The job status block comes with the window's face; until then there is none.
    HANDLE GetStatusBlockHandle() const override;
    int GetMode() const override;
    void SetMode(int mode) override;
    // The job list comes with the window's face: no job has a line yet.
    BOOL GetJobIndex(CSyncJob *job, int &index) override;
    void SetJobRunning(CSyncJob *job) override;
    // Running jobs from the window comes later: nothing is queued.
    BOOL RunJobNow(CSyncJob *job, int argument) override;
    // Posts WM_MAIN_REQUEST_RUN; the window then runs the job if it still holds it.
    void RequestRun(CSyncJob *job) override;
    // Logs the calling thread's last system error in the job's log.
    void ReportError(CSyncJob *job, int reserved, int show) override;
    void UpdateJob(CJobDef *jobDef) override;
    void OnRunJobs() override;
    CSyncJob *GetRunningJob() override;
    void SetProgressShown(BOOL shown) override;
    Gdiplus::Image *GetCloseImage() override;

    CSkinButtonNew *GetSkinButton(MainSkinButton button) const
    {
        return m_skinButtons[button];
    }
    const CStringArray &GetDocumentExtensions() const
    {
        return m_documentExtensions;
    }
    CProgressDialog *GetProgressDialog() const
    {
        return m_pProgressDlg;
    }

    // The free bytes of the program's drive, the room a backup to the drive has; 0 when it cannot be read.
    ULONGLONG GetProgramDriveCapacity() const;

    // Which face the window shows: 0 the job list, 1 the backup page, 2 a backup running, 3 the restore page,
    // 4 a restore running.
    int viewState;
    // 1 when a restore goes into the folder of edit box 1150 rather than to the places the files came from; job
    // setup reads it as its no-destination flag.
    int restoreToOtherFolder;
    // Set: the backup page edits the data folder's "BasicFilter.xml" rather than the job's own filter file.
    BOOL useBasicFilter;

  protected:
    // Closing the window in the job list ends the program; the other view states come with running jobs.
    void OnCancel() override;
    // Enter would end the dialog and hide the main window with the program still running.
    void OnOK() override;

    afx_msg void OnClose();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnAbout();
    afx_msg void OnHelp();
    afx_msg LRESULT OnRequestRun(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

  private:
    void CreateFonts();
    void FillDocumentExtensions();
    void CreateSkinButtons();
    void CreateProgressWindow();
    void InitSystemMenu();
    void InitTrayIconRecord();
    void ComputeLogoRects();
    void InitRestoreFolderEdit();

    CEditWithButton m_restoreFolderEdit;
    // Control 1043's rectangle in client coordinates: where the backup and restore pages go.
    CRect m_rectPageArea;
    CRect m_rectBrenmarkLogo;
    CRect m_rectOrvaneLogo;
    CProgressCtrl m_progress;
    CStatic m_static;
    CProgressDialog *m_pProgressDlg;
    CSyncJobList m_jobList;
    CSkinButtonNew *m_skinButtons[MAIN_BUTTON_COUNT];
    NOTIFYICONDATAW m_trayIcon;
    CMenu m_trayMenu;
    HICON m_hIcon;
    // The window's size at initialisation, its minimum size.
    CRect m_rectInitialWindow;
    CRect m_rectInitialClient;
    CString m_strMenuDisable;
    CString m_strMenuEnable;
    CMenu m_mainMenu;
    CBitmap m_bitmaps[3];
    CBrush m_backgroundBrush;
    CBrush m_secondBrush;
    COLORREF m_backgroundColour;
    BOOL m_oneShotRun;
    BOOL m_userOpenedWindow;
    BOOL m_progressShown;
    CStringArray m_documentExtensions;
    std::unique_ptr<Gdiplus::Image> m_brenmarkZel;
};
