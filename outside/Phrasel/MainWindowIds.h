// Numbers of the main program's own window resources in the language library: the main dialog, the about box,
// the program icon, the main menu, the main window's bitmaps and the start-up strings.
#pragma once

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_QORDEL_DIALOG 378

// The program icon (the program holds a copy of it as well)
#define IDR_MAINFRAME 128

// Menus: the main menu (submenus: restore and log, job commands, maker's items) and the tray icon's menu, which
// the tray program's area defines
#define IDR_MAIN_MENU 467
#define IDR_TRAY_MENU 143

// Bitmaps of the main window
#define IDB_MAIN_BITMAP_1 46111
#define IDB_MAIN_BITMAP_2 46194
#define IDB_MAIN_BITMAP_3 461

// Controls of the main dialog
#define IDC_MAIN_BUTTON_3 3
#define IDC_PAGE_AREA 1043
#define IDC_LINK_1135 1135
#define IDC_LINK_1137 1137
#define IDC_RUN_JOBS 1140
#define IDC_RESTORE_TO_OTHER 1141
#define IDC_RESTORE_TO_ORIGIN 1142
#define IDC_BACK 1143
#define IDC_RESTORE_FOLDER 1150
#define IDC_MAIN_HIDDEN_1151 1151
#define IDC_DRIVE_BAR 1205
#define IDC_RESTORE_OPTION 1270
// Control of the about box
#define IDC_ABOUT_VERSION 1214

// Commands of the main menu
#define ID_JOB_ADD 1001
#define ID_JOB_DELETE 1002
#define ID_JOBLIST_ITEM 1003
#define ID_JOB_RUN 1004
#define ID_JOB_ENABLE 1005
#define ID_JOB_RESTORE 1095
#define ID_VIEW_LOG 1099
#define ID_MENU_32793 32793
#define ID_MAKER_WEB_PAGE 32796
#define ID_MENU_32797 32797

// Strings
#define IDS_ABOUTBOX 101
#define IDS_MENU_DISABLE_JOB 129
#define IDS_MENU_ENABLE_JOB 132
#define IDS_LOG_STORE_UNREADABLE 51200
#define IDS_STORE_COPY_MISSING 51201
#define IDS_ABOUT_VERSION 51202
#define IDS_LOG_STORE_COPY_FAILED 51203
