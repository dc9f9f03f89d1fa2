// What the tray program, the main program and the starter agree on: the messages between the programs, the
// window classes and titles they look each other up by, and the names on the drive.
#pragma once
#include <windows.h>

// Main program to tray program, sent synchronously: the percent done of a backup (wParam), and the end of a run
// that failed or was cancelled (wParam 100, not looked at).
const UINT WM_TRAY_PROGRESS = 2180;
const UINT WM_TRAY_HIDE_BALLOON = 2182;
// Main program to tray program, sent after WM_TRAY_HIDE_BALLOON: why a run stopped (or a start could not begin),
// for a balloon of its own. wParam: the number of the cause's text in the language library; lParam: the system
// error of the run (0 for none). Plain numbers: the tray program finds both texts itself.
const UINT WM_TRAY_RUN_STOPPED = 2183;
// Tray program to main program, posted: wParam ID_TRAY_BACKUP_NOW or ID_TRAY_SHOW_MAIN, lParam 0.
const UINT WM_TRAY_COMMAND = 2181;
// The tray icon's own callback: wParam the icon id, lParam the mouse or notification message.
const UINT WM_TRAY_ICON_NOTIFY = 2025;

// The tray program's window, found by its class (and, by the tray program itself, also by its title).
const wchar_t kTrayWindowClass[] = L"Tarnvel_TRAY";
const wchar_t kProductTitle[] = L"Velbrook Data Backup";
// The main program's window class, and the class of the dialog that the drive commands look for.
const wchar_t kMainWindowClass[] = L"BrenmarkZELMain";
const wchar_t kDialogWindowClass[] = L"#32770";

// The main program below a drive root or a folder, and the tray program's own file name.
const wchar_t kProgramFolderName[] = L"Tarnvel Program Files";
const wchar_t kMainProgramBelowRoot[] = L"Tarnvel Program Files\\Tarnvel.exe";
const wchar_t kTrayProgramName[] = L"Tarnvel_Tray.exe";

// Commands of the drive popups of the tray menu: the first drive command plus the drive letter's place in the
// alphabet (a = 0).
const UINT ID_TRAY_OPEN_DRIVE_FIRST = 2000;
const UINT ID_TRAY_BACKUP_DRIVE_FIRST = 3000;
const UINT kDriveLetterCount = 26;

// The bus type of a USB volume in the storage query's answer.
const UINT kBusTypeUsb = 7;
