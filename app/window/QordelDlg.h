// CQordelDlg: the modeless main window of the program (template 378 of the language library, window class
// "BrenmarkZELMain"). It holds the job collection and is what the job engine knows as the main window
// (IMainWindowServices, g_pMainDlg). It derives from the platform's dialog, not from the skinned dialog base: it
// paints its own skin.
//
// The files of the class: QordelDlg.cpp (construction, destruction and what the engine asks of the window),
// QordelDlgInit.cpp (OnInitDialog), QordelDlgCommands.cpp (the message map, close, system menu, about box, help,
// the log and the small commands), QordelDlgFace.cpp (view switching, the skin buttons and the mouse, sizing),
// QordelDlgPaint.cpp (the skin's painting), QordelDlgRun.cpp (the run road: starting, following and cancelling a
// run, the one-click rebuild and the progress timer), QordelDlgRunEnd.cpp (the end of a run), QordelDlgJobs.cpp
// (enabling jobs, the job menus and the schedule timer), QordelDlgJobCommands.cpp (adding and deleting jobs and the
// requests of a later start), QordelDlgRestore.cpp (the restore page and its run), QordelDlgDrives.cpp (drives
// that come and go) and QordelDlgTray.cpp (the tray icon and the tray program).
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <objidl.h>
#include <gdiplus.h>

#include <map>
#include <memory>
#include <vector>

#include "app/joblist/JobListView.h"
#include "app/run/RestoreForm.h"
#include "app/run/RunRoadRules.h"
#include "app/widgets/SizeThumbDriveStatic.h"
#include "app/window/StatusPoller.h"
#include "engine/changes/ChangeWatch.h"
#include "engine/job/MainWindowServices.h"
#include "engine/store/SyncJobList.h"
#include "outside/Phrasel/PhraselIds.h"
#include "platform/controls/Controls.h"
#include "platform/controls/Menu.h"
#include "platform/drawing/GdiObjects.h"
#include "platform/system/Seam.h"
#include "platform/system/Sync.h"
#include "platform/text/Collections.h"
#include "platform/text/Geometry.h"
#include "platform/windows/Dialog.h"
#include "setup/layout/DialogLayout.h"
#include "setup/sourcepage/SourcePage.h"
#include "ui/controls/EditWithButton.h"
#include "ui/skin/SkinElement.h"

class CErrorReportDlg;
class CProgressDialog;

// The about box's item in the system menu.
constexpr UINT IDM_ABOUTBOX = 16;
// The tray icon's callback message.
constexpr UINT WM_MAIN_TRAY_NOTIFY = WM_USER + 1;
// Posted by RequestRun (and by RunJobNow called on another thread); wParam is the job.
constexpr UINT WM_RUN_JOB_NOW = WM_USER + 110;
// Posted by the engine: show string wParam in a message box.
constexpr UINT WM_SHOW_STRING_MESSAGE = WM_USER + 4;
// Sent by a second start of the program: show the window, and bring it (or the progress window) forward.
constexpr UINT WM_SHOW_INSTANCE = WM_USER + 101;
constexpr UINT WM_ACTIVATE_INSTANCE = WM_USER + 103;
// The schedule timer (one due job per tick) and the progress timer of a run the window follows.
constexpr UINT_PTR TIMER_JOB_SCHEDULE = 2001;
constexpr UINT_PTR TIMER_RUN_PROGRESS = 2002;
constexpr UINT kMainTimerMs = 500;
// Posted by UpdateJob from another thread; wParam is the job's definition.
constexpr UINT WM_MAIN_UPDATE_JOB = WM_APP + 2;
// The job list view's child id.
constexpr UINT IDC_JOB_LIST_VIEW = 100;
// A command the main window takes without an action.
constexpr UINT ID_MENU_57670 = 57670;
// Sent or posted by job setup: wParam is a new CSyncJob for the collection.
constexpr UINT WM_ADD_JOB = WM_USER + 8;

// How the window opens the log viewer and the maker's web page: ShellExecuteW unless a test puts another in place.
typedef HINSTANCE(WINAPI *ShellExecuteFunction)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                                LPCWSTR directory, INT show);
extern Seam<ShellExecuteFunction> g_pfnMainShellExecute;
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
    // The shared job-status block, INVALID_HANDLE_VALUE without one.
    HANDLE GetStatusBlockHandle() const override;
    int GetMode() const override;
    void SetMode(int mode) override;
    // Any thread: the index of the job's card in the job list view; FALSE without a card (or a view).
    BOOL GetJobIndex(CSyncJob *job, int &index) override;
    void SetJobRunning(CSyncJob *job) override;
    // Queues an enabled job that this call claims idle to busy (TryClaimRun); TRUE when it was queued. On another
    // thread it goes through RequestRun. A run queued here runs without the progress window and ends silently: the
    // window's own runs are started by its run commands.
    BOOL RunJobNow(CSyncJob *job, int argument) override;
    // Posts WM_RUN_JOB_NOW; the window then runs the job if it still holds it.
    void RequestRun(CSyncJob *job) override;
    // Logs the calling thread's last system error in the job's log.
    void ReportError(CSyncJob *job, int reserved, int show) override;
    // Any thread: the job's card reads its texts again (on the user-interface thread, by a posted message).
    void UpdateJob(CJobDef *jobDef) override;
    // A card for the job in the job list view (when it has one).
    void JobListInsert(CSyncJob *job) override;
    CStringArray &GetPendingSources() override;
    // The big Backup/Restore button (1140), by view state: on the backup page it starts the page's job, during a
    // backup it cancels it, during a restore it cancels the restore.
    void OnRunJobs() override;
    // The first of the runs the window queued that has not ended yet; null when none.
    CSyncJob *GetRunningJob() override;
    void SetProgressShown(BOOL shown) override;
    Gdiplus::Image *GetCloseImage() override;
    int GetRestoreToOtherFolder() const override
    {
        return restoreToOtherFolder;
    }
    BOOL GetUseBasicFilter() const override
    {
        return useBasicFilter;
    }
    // ClassifyDestination over the window's job collection.
    int FindJobByPath(CSyncJob *job, LPCWSTR path) override;

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

    // --- The run road (QordelDlgRun.cpp) ---
    // The one-shot start of "--backup" and of the tray program's back-up-now: the one-click job is rebuilt and
    // run with the progress window hidden. Unless the window is shown meanwhile, the run's end (finished, failed
    // or cancelled) shows no box and ends the program with the run's exit code (ProgramExitCode).
    void RunBackupFromCommandLine();
    // Shows the job on the backup (0) or the restore (1) page: the schedule timer stops and the job is parked while
    // its page shows it. The page's window is made the first time; afterwards the page reloads its filters and the
    // job it was given.
    void LoadJobPage(CSyncJob *job, int page);
    // The schedule timer, started anew.
    void ArmScheduleTimer();
    // The watcher of the on-change jobs' folders and the monitor that hears of their changes.
    CChangeWatch &GetChangeWatch()
    {
        return m_changeWatch;
    }
    // The number of runs the window queued that have not ended.
    size_t GetRunningJobCount() const
    {
        return m_runningJobs.size();
    }
    // The job's copy-error window; null before its first run with errors.
    CErrorReportDlg *GetErrorReport(CSyncJob *job) const;
    BOOL HasUserOpenedWindow() const
    {
        return m_userOpenedWindow;
    }
    BOOL IsProgressShown() const
    {
        return m_progressShown;
    }

    // --- Jobs (QordelDlgJobs.cpp) ---
    // Enables or disables the job, logged in its log (the third argument is not used).
    void SetJobEnabled(CSyncJob *job, BOOL enable, BOOL fromQuestion);
    // Set while the job type chooser (and the wizard it opens) or the job selection dialog is open.
    BOOL IsJobSetupOpen() const
    {
        return m_jobSetupOpen;
    }
    // The job whose stored form the restore page keeps (null while none is kept).
    CSyncJob *GetRestoreFormJob() const
    {
        return m_restoreForm.GetJob();
    }

    // --- Drives (QordelDlgDrives.cpp) ---
    void OnDriveArrived(wchar_t letter);
    // The drive the program runs from going ends the program.
    void OnDriveRemoved(wchar_t letter);

    // --- The tray icon (QordelDlgTray.cpp) ---
    // Puts the window's icon into the notification area; the platform's answer, 0 when the icon is there already.
    BOOL AddTrayIcon();
    BOOL IsInTray() const
    {
        return m_inTray;
    }

    // The free bytes of the program's drive, the room a backup to the drive has; 0 when it cannot be read.
    ULONGLONG GetProgramDriveCapacity() const override;
    // Shows and hides the control groups, the job list and the pages for viewState, places the text rectangle
    // and sets the skin buttons' states.
    void UpdateView();
    // The job list view; null before OnInitDialog made it and once the window is gone.
    CJobListView *GetJobListView() const
    {
        return m_pJobListView;
    }
    CSizeThumbDriveStatic &GetDriveBar()
    {
        return m_driveBar;
    }
    BOOL IsStatusPollerRunning() const
    {
        return m_statusBlock.IsPolling();
    }
    // The backup (0) and the restore (1) page's window, which the page loader sets; null while it has none.
    void SetPageWindow(int page, CWnd *window);
    // The backup (0) or the restore (1) page; its window exists once the page loader has shown it.
    CSourcePage &GetSourcePage(int page)
    {
        return page == 1 ? m_restorePage : m_backupPage;
    }

    // Which face the window shows: 0 the job list, 1 the backup page, 2 a backup running, 3 the restore page,
    // 4 a restore running.
    int viewState;
    // 1 when a restore goes into the folder of edit box 1150 rather than to the places the files came from; job
    // setup reads it as its no-destination flag.
    int restoreToOtherFolder;
    // Check box 1270's option, copied into the job's run options before a restore starts.
    int restoreOption;
    // Set: the backup page edits the data folder's "BasicFilter.xml" rather than the job's own filter file.
    BOOL useBasicFilter;

  protected:
    // Closing the window in the job list ends the program; the other view states come with running jobs.
    void OnCancel() override;
    // Enter would end the dialog and hide the main window with the program still running.
    void OnOK() override;

    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnAbout();
    afx_msg void OnHelp();
    // Opens the selected job's log in the text editor (command 1099).
    afx_msg void OnViewLog();
    afx_msg void OnMakerWebPage();
    afx_msg void OnNoAction();
    afx_msg LRESULT OnRunJobNowMessage(WPARAM wParam, LPARAM lParam);
    // The run road's commands.
    afx_msg void OnPrepareJobs();
    afx_msg void OnRunSelectedJob();
    afx_msg void OnRunJobsCommand();
    afx_msg void OnBack();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    // The ends of a run (wParam the job).
    afx_msg LRESULT OnJobFinished(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnJobCancelled(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnJobFailed(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnJobProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowStringMessage(WPARAM wParam, LPARAM lParam);
    // Jobs and their menus.
    afx_msg void OnEnableJob();
    afx_msg void OnInitMenuPopup(CMenu *pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    // The job list view's right-button release: the job menu (popups 0 and 1 of menu 467) at the point.
    afx_msg void OnContextMenu(CWnd *pWnd, CPoint point);
    // Job commands (QordelDlgJobCommands.cpp).
    afx_msg void OnAddJob();
    afx_msg void OnDeleteJob();
    afx_msg LRESULT OnAddJobMessage(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnCopyData(CWnd *pWnd, COPYDATASTRUCT *pCopyDataStruct);
    // The restore page (QordelDlgRestore.cpp).
    afx_msg void OnRestore();
    afx_msg void OnRestoreToFolder();
    afx_msg void OnRestoreToOriginal();
    afx_msg void OnRestoreOptionToggle();
    afx_msg LRESULT OnBrowseFolder(WPARAM wParam, LPARAM lParam);
    afx_msg BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    // The tray icon and the tray program.
    afx_msg LRESULT OnTrayIconNotify(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnTrayCommand(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnShowInstance(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnActivateInstance(WPARAM wParam, LPARAM lParam);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnTrayOpen();
    afx_msg void OnTrayExit();
    afx_msg LRESULT OnUpdateJobMessage(WPARAM wParam, LPARAM lParam);
    // Answers the poller with 1 and does nothing else.
    afx_msg LRESULT OnJobStatus(WPARAM wParam, LPARAM lParam);

    afx_msg BOOL OnEraseBkgnd(CDC *pDC);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor);
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    // Keeps the window at least as large as it was at initialisation: the moving edge snaps back.
    afx_msg void OnSizing(UINT fwSide, LPRECT pRect);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

  private:
    // A run the window queued, until its end message.
    struct RunningJob
    {
        CSyncJob *job;
        // Started by the window's own run commands: the progress window follows it and its end is shown.
        BOOL fromWindow;
    };

    // The run road (QordelDlgRun.cpp, QordelDlgRunEnd.cpp).
    BOOL IsWindowThread() const;
    // Queues the job as RunJobNow does; a run started from the window also prepares the progress window and
    // disables the main window (the progress window takes the user's input while it runs).
    BOOL StartRun(CSyncJob *job, int argument, BOOL fromWindow);
    // The selected card's job, or null.
    CSyncJob *GetSelectedJobObject() const;
    // The item button's start and cancel in state 2; from a drive arrival it only starts an idle job.
    void RunSelectedJob(BOOL fromArrival);
    // The rebuild of the one-click job; from OnInitDialog it stops once the job is in the collection.
    BOOL PrepareDefaultJob(BOOL fromInitDialog);
    // The job the rebuild replaces: the selected one when it is a default job, else the first default job.
    CSyncJob *FindRebuildTarget() const;
    // Before a job leaves the collection: it leaves the running list, its hold and its copy-error window.
    void ForgetJob(CSyncJob *job);
    void ReleaseHold();
    void ReturnToJobList();
    void OnProgressTimer();
    // Takes the job out of the running list; TRUE when it was started from the window.
    BOOL LeaveRunningList(CSyncJob *job);
    // The end of a cancelled or failed run.
    void EndStoppedRun(CSyncJob *job, LPARAM lParam, BOOL cancelled);
    // A run the window followed is over: its progress window goes and the window takes input again.
    void GiveWindowBack();
    void ShowErrorReport(CSyncJob *job);
    void ViewJobLog(CSyncJob *job);
    // The one-shot run's job (the run RunBackupFromCommandLine started): TRUE when job is it, which it then stops
    // being.
    bool TakeOneShotJob(CSyncJob *job);
    // Ends the process after a one-shot run that nobody opened the window for, with the run's exit code.
    void EndOneShotProcess(int exitCode);
    // A save of the store that failed is logged; the user is told once, unless the run ends quietly.
    void ReportStoreSave(HRESULT result, bool quiet);
    // Saves the store, a failure reported as ReportStoreSave does.
    void SaveStore();
    // What the window's end leaves unsaved (a watched job's "neverrun", a removed job) is saved.
    void SaveStoreAtClose();
    void WatchTwoWayDestinations(CSyncJob *job);
    // Jobs (QordelDlgJobs.cpp).
    void OnScheduleTimer();
    // Job commands (QordelDlgJobCommands.cpp): the requests of "--select" and "--create".
    void SelectJobForPendingSources(const CString &paths);
    void CreateJobForPendingSources(const CString &paths);
    // Takes the job out of the collection with its card (an on-change job is disabled first) and deletes its
    // filter files.
    void DeleteJob(CSyncJob *job);
    void DeleteJobFilterFiles(const CString &name, const CString &jobUuid);
    // The restore page (QordelDlgRestore.cpp).
    // The big button on the restore page: the page's save, the folder, then the restore run.
    void StartRestore();
    // The job's folders (its backup's, watched) stop being watched while it restores into them.
    void PauseWatchesForRestore(CSyncJob &job, const std::vector<CString> &folders);
    // Radio buttons 1141 and 1142 and edit box 1150 for a restore into another folder (TRUE) or to the places
    // the files came from.
    void ChooseRestoreToOtherFolder(BOOL other);
    // The restore's job, back in its stored form at the end of the page's save or run; the restore option is
    // cleared with it.
    void PutBackRestoreForm();
    // PutBackRestoreForm, and the job's stored form is kept no longer: the view leaves the restore page.
    void ReleaseRestoreForm();
    // The default job the restore page is asked for: the stored one (the job read again) or, when the store has
    // none, no job at all. The job to restore, or null.
    CSyncJob *ReloadForRestore(CSyncJob *job);
    // Shows the window on the user's request (tray program, second start): the progress window too while a run
    // is shown; the program then stays when a one-shot backup ends.
    void ShowOnRequest();
    void RestoreFromTray();
    void ShowTrayMenu(int x, int y);

    void CreateFonts();
    void FillDocumentExtensions();
    void CreateSkinButtons();
    void CreateProgressWindow();
    void InitSystemMenu();
    void InitTrayIconRecord();
    void ComputeLogoRects();
    // Where page 0 or 1 goes in the page area: the restore page ends above the restore options, which would
    // otherwise lie under it out of the user's reach.
    CRect PageRect(int page);
    void InitRestoreFolderEdit();
    void CreateJobListView();
    void InitDriveBar();
    // Buttons 4 and 5 keep their distance from the right edge; buttons 1 and 2 sit right of the text rectangle.
    void PlaceSkinButtons(int clientWidth);
    void SetSkinButtonState(MainSkinButton button, UINT state);
    void ShowControl(int id, BOOL show, BOOL enable);
    // Painting (QordelDlgPaint.cpp).
    void PaintSkin(Gdiplus::Graphics &graphics, const CRect &client);
    void PaintTexts(Gdiplus::Graphics &graphics, const CRect &client);
    void PaintWholeButton(Gdiplus::Graphics &graphics, MainSkinButton button, Gdiplus::Image *image);

    CEditWithButton m_restoreFolderEdit;
    CSizeThumbDriveStatic m_driveBar;
    // Keeps the job list and the drive bar anchored when the window is resized.
    CDialogLayout m_layout;
    // Read by run threads (GetJobIndex) under m_viewLock; the view deletes itself with its window.
    CJobListView *m_pJobListView;
    mutable CCriticalSection m_viewLock;
    CWnd *m_pageWindows[2];
    // Control 1043's rectangle in client coordinates: where the backup and restore pages go.
    CRect m_rectPageArea;
    CRect m_rectBrenmarkLogo;
    CRect m_rectOrvaneLogo;
    CProgressCtrl m_progress;
    CStatic m_static;
    CProgressDialog *m_pProgressDlg;
    CSyncJobList m_jobList;
    // After the job collection: its watches and its monitor's thread end before the jobs go.
    CChangeWatch m_changeWatch;
    // The backup and the restore page, after the collection too: they point at its jobs.
    CSourcePage m_backupPage;
    CSourcePage m_restorePage;
    CJobStatusBlock m_statusBlock;
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
    BOOL m_inTray;
    // Set while a box of WM_SHOW_STRING_MESSAGE is open.
    BOOL m_showingStringMessage;
    std::vector<RunningJob> m_runningJobs;
    // One copy-error window per job, made at the job's first run with errors.
    std::map<CSyncJob *, std::unique_ptr<CErrorReportDlg>> m_errorReports;
    // The job the page loader parked, until it is released.
    CSyncJob *m_pHeldJob;
    // The run of the one-shot start, until its end.
    CSyncJob *m_pOneShotJob;
    // Set once the user has been told that the store cannot be saved.
    BOOL m_storeSaveFailureShown;
    CStringArray m_documentExtensions;
    std::unique_ptr<Gdiplus::Image> m_brenmarkZel;
    // The paths of "--create" and "--select" requests, for job creation and the job selection dialog.
    CStringArray m_pendingSources;
    BOOL m_jobSetupOpen;
    // The restore page's job as stored, put back before anything can save it in the restore's form.
    CRestoreFormKeeper m_restoreForm;
};
