// Numbers of the source pages' resources in the language library: the source page host (IDD_SOURCE_PAGE, in
// WizardIds.h) and the basic source page with their controls, the file list's columns and the source pages'
// strings.
#pragma once

// Dialogs
#define IDD_SOURCE_BASIC_PAGE 486

// Controls of the source page host
#define IDC_SOURCE_MODE_SWITCH 1215
#define IDC_SOURCE_PAGE_AREA 1248
// Controls of the basic source page: the four category boxes' places and the drive list
#define IDC_SOURCE_BOX_1 1250
#define IDC_SOURCE_BOX_2 1251
#define IDC_SOURCE_BOX_3 1252
#define IDC_SOURCE_BOX_4 1253
#define IDC_SOURCE_DRIVE_LIST 1254

// Strings
#define IDS_NOTHING_TO_RESTORE 137
#define IDS_DRIVE_LIST_TITLE 489
#define IDS_NOTHING_TO_BACK_UP 534
#define IDS_FILE_LIST_NAME 10004
#define IDS_FILE_LIST_SIZE 10005
#define IDS_FILE_LIST_TYPE 10006
#define IDS_FILE_LIST_TIME 10007
#define IDS_BACKUP_TOO_LARGE 50013
#define IDS_SOURCE_TAB_BASIC 52901
#define IDS_SOURCE_TAB_ADVANCED 52902
