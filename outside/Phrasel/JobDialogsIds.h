// Numbers of the small job dialogs' resources in the language library: revisions and options, the start-backup
// prompt, the overwrite choice, the job selection dialog and the protected-volume open dialog.
#pragma once

// Dialogs
#define IDD_AUTO_DEL 44001
#define IDD_START_BACKUP 171
#define IDD_OVERWRITE_OPTION 492
#define IDD_SVR_SELECT 46460
#define IDD_OPEN_ZORBIT 410

// Bitmaps of the protected-volume open dialog
#define IDB_ZORBIT_VOLUME 411
#define IDB_ZORBIT_INFO 412

// Controls of the revisions and options dialog
#define IDC_AUTODEL_AUTO_DELETE 1000
#define IDC_AUTODEL_KEEP_REVISIONS 1001
#define IDC_AUTODEL_REVISIONS 1002
#define IDC_AUTODEL_MOVE_TO_RECYCLE 1266
#define IDC_AUTODEL_RETAIN_FULL_PATH 40002
#define IDC_AUTODEL_SUPPRESS_ERROR_LOG 40003

// Controls of the start-backup prompt
#define IDC_START_BACKUP_TEXT 382
#define IDC_START_BACKUP_TITLE 383
#define IDC_START_BACKUP_CHECK 1047

// Controls of the overwrite choice
#define IDC_OVERWRITE_CONTINUE 1009
#define IDC_OVERWRITE_SOURCES 32830
#define IDC_OVERWRITE_DEST 32831
#define IDC_OVERWRITE_NEWER 32832
#define IDC_OVERWRITE_ALWAYS 32833
#define IDC_OVERWRITE_NEVER 32834

// Controls of the job selection dialog (the job list itself is child 100, made at run time)
#define IDC_SVR_SELECT_NOTE 1010

// Controls of the protected-volume open dialog
#define IDC_ZORBIT_OPEN 1140
#define IDC_ZORBIT_CODE 1150
#define IDC_ZORBIT_INFO_TEXT 1202
#define IDC_ZORBIT_SHARED_1203 1203
#define IDC_ZORBIT_NAME 1204
#define IDC_ZORBIT_VOLUME_PICTURE 1206
#define IDC_ZORBIT_SHARED_1212 1212
#define IDC_ZORBIT_REFRESH 9003

// Strings
#define IDS_PATH_COLLIDES_WITH_DEST 440
#define IDS_NO_JOB_CHOSEN 469
#define IDS_REVISIONS_ALL 470
#define IDS_ZORBIT_OPEN_OTHER 47412
#define IDS_ZORBIT_OPEN_FAILED_1 47414
#define IDS_ZORBIT_OPEN_FAILED_2 47415
#define IDS_ZORBIT_OPEN_FAILED_3 47416
#define IDS_ZORBIT_OPEN_FAILED_4 47417
#define IDS_ZORBIT_OPEN_FAILED_5 47418
#define IDS_ZORBIT_WRONG_CODE 47419
#define IDS_ZORBIT_CODE_LENGTH 47420
