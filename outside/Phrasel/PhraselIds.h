// Numbers of the dialogs, strings, menus, controls and bitmaps of the language library. The programs refer to
// every resource of the language library by these numbers; the .rc files of each language define them.
#pragma once

// Dialogs
#define IDD_INPUT_DIALOG 506

// Controls
#define IDC_INPUT_PROMPT 1256
#define IDC_INPUT_VALUE 470

// Strings
#define IDS_BUTTON_YES 245
#define IDS_BUTTON_NO 246
#define IDS_BUTTON_OK 247
#define IDS_BUTTON_CANCEL 248
#define IDS_BUTTON_RETRY 265
#define IDS_BUTTON_RETRY_CANCEL 266
#define IDS_SOURCE_NOT_FOUND 251
