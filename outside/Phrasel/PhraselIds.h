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
// Job object
#define IDS_DEST_NOT_REACHED 122
#define IDS_FILTER_INCLUDE 157
#define IDS_FILTER_EXCLUDE 158
#define IDS_LOG_RUN_STARTED 183
#define IDS_LOG_JOB_SUMMARY 194
#define IDS_JOB_SUMMARY 195
#define IDS_JOB_SUMMARY_AUTODEL 197
#define IDS_SCHEDULE_DAYS 217
#define IDS_SCHEDULE_HOURS 218
#define IDS_SCHEDULE_MINUTES 219
#define IDS_SCHEDULE_WEEKLY 220
#define IDS_SCHEDULE_ON_CHANGE 221
#define IDS_REVISIONS_COUNT 222
#define IDS_REVISIONS_UNLIMITED 223
#define IDS_REVISIONS_NONE 224
#define IDS_ERROR_BACKUP_FILE 239
#define IDS_DEST_NETWORK_UNREACHABLE 243
#define IDS_BALLOON_DEST_FULL_TITLE 425
#define IDS_BALLOON_DEST_FULL 426
#define IDS_ERROR_RESTORE_FILE 582
#define IDS_LOG_DEST_MISSING 1151
#define IDS_ERROR_BAD_PATH 50014
