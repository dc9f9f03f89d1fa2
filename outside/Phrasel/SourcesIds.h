// Numbers of the source pages' resources in the language library: the source page host (IDD_SOURCE_PAGE, in
// WizardIds.h), the basic and the advanced source page with their controls, the file list's columns, the kinds of
// files of the restore view and the source pages' strings.
#pragma once

// Dialogs
#define IDD_SOURCE_ADVANCED_PAGE 138
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
// Controls of the advanced source page: the folder tree, the file list, and the custom filter and show-hidden
// commands (hidden controls; the commands arrive as their WM_COMMAND)
#define IDC_SOURCE_TREE 1073
#define IDC_SOURCE_FILES 1038
#define IDC_SOURCE_CUSTOM_FILTER 1140
#define IDC_SOURCE_SHOW_HIDDEN 1255

// Strings
#define IDS_NOTHING_TO_RESTORE 137
#define IDS_DRIVE_LIST_TITLE 489
// The kinds of files of the restore view (the three mail stores are IDS_PROGRAM_OUTLOOK... of PhraselIds.h)
#define IDS_CATEGORY_MUSIC 494
#define IDS_CATEGORY_PICTURES 495
#define IDS_CATEGORY_VIDEO 512
#define IDS_CATEGORY_DOCUMENTS 581
#define IDS_NOTHING_TO_BACK_UP 534
#define IDS_FILE_LIST_NAME 10004
#define IDS_FILE_LIST_SIZE 10005
#define IDS_FILE_LIST_TYPE 10006
#define IDS_FILE_LIST_TIME 10007
#define IDS_BACKUP_TOO_LARGE 50013
#define IDS_SOURCE_TAB_BASIC 52901
#define IDS_SOURCE_TAB_ADVANCED 52902
#define IDS_LOG_RESTORE_PLACE_LEFT_OUT 52903
