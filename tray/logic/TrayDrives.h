// The drives of the tray program: the automatic backup of an arriving drive that holds the main program, the
// USB drives that the menu and the back-up-now command offer, and the drive popups of the tray menu.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// WM_DEVICECHANGE: for an arriving volume (not a network volume without media) starts the main program with
// "-b" from every drive letter of its unit mask that holds it. Any other event, a null or short header or a
// device that is not a volume does nothing. Returns how many programs were started.
int StartBackupsOnArrival(WPARAM event, LPARAM header);

// "x:\" for every drive of the logical-drives mask, from a upwards, whose bus is USB and that holds the main
// program.
std::vector<std::wstring> CollectProgramDrives(DWORD logicalDrives);

// Back up now without a main window: starts the main program with "-b" from the first USB drive of the
// logical-drives mask that holds it; FALSE when none does.
BOOL BackUpFromFirstUsbDrive(DWORD logicalDrives);

// Makes the item at position of the tray menu's submenu a popup of the drives, with the item's own text: "e:\"
// with the command ID_TRAY_BACKUP_DRIVE_FIRST + e's place in the alphabet at position 0, ID_TRAY_OPEN_DRIVE_FIRST +
// that place elsewhere. Without drives the item becomes a disabled plain item of command 0 with its own text. The
// popup that stood there before goes with it.
void FillDriveSubmenu(const std::vector<std::wstring> &drives, HMENU submenu, UINT position);
void ClearSubmenuItem(HMENU submenu, UINT position);

// The check mark of the command that switches automatic backup off: set while it is off.
void SetAutoBackupCheck(HMENU menu, BOOL autoBackupOff);
