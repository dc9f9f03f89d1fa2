// Numbers of the tray menu's commands and of the tray program's strings in the language library. The menu itself
// is IDR_TRAY_MENU (MainWindowIds.h): submenu 0 is the main program's own tray icon menu, submenu 1 the tray
// program's.
#pragma once

// Commands of submenu 0 (the main program's icon)
#define ID_TRAY_OPEN_MAIN 32771
#define ID_TRAY_EXIT_MAIN 32773

// Commands of submenu 1 (the tray program); positions 0 and 3 become the drive popups
#define ID_TRAY_BACKUP_NOW 32843
#define ID_TRAY_DISABLE_AUTO_BACKUP 32844
#define ID_TRAY_SHOW_MAIN 32845
#define ID_TRAY_EXIT 32846
#define ID_TRAY_REMOVE_AUTOSTART 32848

// Strings
#define IDS_TRAY_REMOVE_AUTOSTART 112
#define IDS_TRAY_PROGRESS 128
