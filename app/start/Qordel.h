// CQordelApp: the main program's one application object (theApp). InitInstance turns the bare process into the
// running program: command line, single-instance decision, COM, common controls and GDI+, the language library as
// resource module, the skin images, the main window class, the data folder on the program's drive, the program's
// log, the agent options file, the modeless main dialog shown by start mode, and the destination-watch thread.
// ExitInstance takes down what of it was started. There is no document, no frame and no registry use.
//
// The files of the class: Qordel.cpp (the order of the start and the end, the main dialog) and QordelPlaces.cpp
// (the language library, the program and data folders, the log, the agent options file and the default filter
// set).
#pragma once
#include <windows.h>

#include "app/start/QordelShutdown.h"
#include "app/start/QordelStartRules.h"
#include "platform/system/Seam.h"
#include "platform/text/String.h"
#include "platform/windows/WinApp.h"

class CQordelDlg;

// The main dialog's window class; the tray program finds the main program by it.
extern const wchar_t kMainWindowClass[];
// The application's name: the main window's title and the caption of its boxes.
extern const wchar_t kApplicationName[];

// The destination-watch thread's procedure (the engine's RunDestinationWatch unless a test puts another in place);
// its argument is the application object. It waits on StopEvent between its rounds and ends when that is set.
// With none installed start-up starts no thread.
typedef unsigned(__stdcall *DestinationWatchProc)(void *app);
extern Seam<DestinationWatchProc> g_pfnDestinationWatch;

// The program's own path, of any length; empty when it cannot be read.
CString ModulePath();

// Shows the main dialog as the start's command asks: "--minimize" puts the window's icon into the notification
// area and keeps the window hidden (shown when the icon cannot be added); "--backup" with at least one job keeps
// the window hidden and runs the one-shot backup, which ends the start (true); "--select" keeps it hidden for the
// job selection dialog of its request, whose end shows it; every other start shows the window, and a "--backup"
// without jobs becomes a plain start (mode START_MODE_NONE).
bool ShowMainDialogForStart(CQordelDlg &dialog, const StartCommand &command, int &mode);
// A start nobody watches: hidden ("--minimize") or a one-shot backup ("--backup", as the tray program starts it).
// What goes wrong at such a start goes to the tray program's balloon rather than into a box that would keep the
// process waiting for an answer.
bool IsUnattendedStart(const StartCommand &command);

class CQordelApp : public CWinApp
{
  public:
    CQordelApp();
    ~CQordelApp() override;

    // TRUE runs the message loop; FALSE ends the process at once (ExitInstance still runs).
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The program's folder with its trailing backslash.
    CString GetAppFolder() const
    {
        return m_strAppFolder;
    }
    // m_strAppFolder (and the engine's g_strAppFolder) from the program's module path.
    void InitAppFolder();
    // Hands the continuous-copy list file name to the job engine.
    void InitTesselDirList();
    // Puts the data folder's default filter set "BasicFilter.xml" in place when it is missing, built from the
    // language folder's template with the mail programs and browser folders of this computer. The filter pages
    // call it (through EnsureDefaultFilterFile) before they read the default set.
    static void LoadBasicFilter();
    static CString GetTesselDirListName();

    CQordelDlg *GetMainDialog() const
    {
        return m_pMainDlg;
    }
    int GetStartMode() const
    {
        return m_nStartMode;
    }
    // A request of a later start (WM_COPYDATA) sets the mode anew.
    void SetStartMode(int mode)
    {
        m_nStartMode = mode;
    }

  protected:
    // ID_HELP: the program has no help file, so the command does nothing.
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

  private:
    // Steps of InitInstance; a FALSE ends the start.
    // TRUE when this start is the first instance; otherwise it has handed its command line over (or found no
    // window to hand it to) and the exit code is set.
    bool TakeSingleInstanceGuard(const StartCommand &command, LPCWSTR commandLine);
    enum class HandOver
    {
        Done,      // the first instance's window has the command line or the show request
        NoWindow,  // no window came within kFirstWindowWaitMs
        FirstGone, // the block names a window that no longer exists: the first instance is ending
    };
    // A later start: brings the first instance's window forward and hands it the command line.
    HandOver HandOverToFirstInstance(const StartCommand &command, LPCWSTR commandLine);
    void ReportDataFolderFailure(const StartCommand &command, DWORD error);
    void ReportNoMainWindow(const StartCommand &command);
    void StartPlatformServices();
    void LoadLanguageLibrary();
    BOOL RegisterMainWindowClass();
    // FALSE when the data folder cannot be made or written in; error tells why.
    BOOL MakeDataFolder(DWORD &error);
    void OpenProgramLog();
    void WriteAgentOptions();
    BOOL CreateMainDialog();
    void ReportBrokenStore();
    void StartDestinationWatch();

    int m_nStartMode;
    CQordelDlg *m_pMainDlg;
    CString m_strAppFolder;
    StartedParts m_started;
};
