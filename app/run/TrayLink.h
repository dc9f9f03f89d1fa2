// The main program's side of the tray program: the messages it sends the tray program's window, and the
// deployment that puts the tray program into the user's Startup folder (with the language libraries where the
// tray program reads them) after every finished backup and starts it.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// How long a message to the tray program may take: a tray program that hangs must not hold the main window.
constexpr UINT kTrayMessageTimeoutMs = 5000;

// The tray program's window (class "Tarnvel_TRAY", any title), or null.
HWND FindTrayWindow();
// Sends the message to the tray program's window, when there is one; FALSE when there is none.
BOOL SendToTray(UINT message, WPARAM wParam, LPARAM lParam = 0);
// The percent of a backup (WM_TRAY_PROGRESS) and the end of a cancelled or failed run (WM_TRAY_HIDE_BALLOON, 100).
BOOL SendTrayProgress(int percent);
BOOL SendTrayHideBalloon();
// Why a run stopped or a start could not begin, as a balloon of the tray program: the text textId of the language
// library and the system's text of the error (WM_TRAY_RUN_STOPPED).
BOOL SendTrayRunStopped(UINT textId, DWORD error);

// Where deployment puts the tray program and the language libraries.
struct TrayDeployment
{
    CString startupCopy;  // the Startup folder's "Tarnvel_Tray.exe"; empty without a Startup folder
    CString commonFolder; // the common application data's "Tarnvel_PHRASEL\"
    CString started;      // the copy that was started, empty when none was
};

// Copies "ENU\", "ESN\" and "FRC\" "Phrasel.dll" from the program folder (with its trailing backslash) into the
// same folders under the common folder, and, when the Startup folder can be read, "Tarnvel_Tray.exe" into it and
// into the common folder; then starts the Startup copy (else the common one) through the main window's
// shell-execute function. Failures are not reported: the tray program is a convenience.
TrayDeployment DeployTrayAndLanguageFiles(const CString &programFolder);
