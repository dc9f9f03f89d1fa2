// The about box of the tray program and the starter (IDD_PROGRAM_ABOUT of each program's own resources): it
// closes on OK or Cancel.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ProgramAboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
