// Numbers of the dialogs, strings, menus, controls and bitmaps of the language library. The programs refer to
// every resource of the language library by these numbers; the .rc files of each language define them.
#pragma once

// Dialogs
#define IDD_INPUT_DIALOG 506
#define IDD_PROGRESS_DIALOG 530
#define IDD_ERROR_REPORT 140

// Controls
#define IDC_INPUT_PROMPT 1256
#define IDC_INPUT_VALUE 470
#define IDC_PROGRESS_BAR 1268
#define IDC_PROGRESS_TEXT 1269
#define IDC_ERROR_LIST 1041
#define IDC_ERROR_SUPPRESS 1143

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
#define IDS_LOG_RUN_CANCELLED 184
#define IDS_LOG_RUN_ENDED 264
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
// Copying files
#define IDS_LOG_COPY_FAILED 206
#define IDS_LOG_FOLDER_NOT_MADE 208
#define IDS_LOG_ATTRIBUTES_FAILED 210
#define IDS_PROGRAM_OUTLOOK 502
#define IDS_PROGRAM_OUTLOOK_EXPRESS 503
#define IDS_PROGRAM_WINDOWS_MAIL 504
#define IDS_ASK_RESTORE_IN_USE 579
#define IDS_ASK_BACKUP_IN_USE 580
#define IDS_LOG_FILE_IN_USE 583
#define IDS_LOG_SOURCE_FORM 1247
// Progress window and copy-error window
#define IDS_ERROR_COLUMN_TIME 175
#define IDS_BACKUP_FINISHED 177
#define IDS_ERROR_COLUMN_MESSAGE 257
#define IDS_RESTORE_FINISHED 405
#define IDS_PROGRESS_NOTICE 408
#define IDS_PROGRESS_PREPARING 1246
#define IDS_PROGRESS_STATUS 50004
#define IDS_PROGRESS_TITLE_BACKUP 50007
#define IDS_PROGRESS_TITLE_RESTORE 50008
#define IDS_ASK_STOP_BACKUP 50009
#define IDS_ASK_STOP_RESTORE 50010
#include "RunSafetyIds.h"
#include "MainWindowIds.h"
#include "ChoiceButtonsIds.h"
#include "TrayIds.h"
#include "MainFaceIds.h"
#include "ContinuousCopyIds.h"
#include "FiltersIds.h"
#include "WatchIds.h"
#include "RunRoadIds.h"
#include "WizardIds.h"
#include "JobDialogsIds.h"
#include "RunTruthIds.h"
#include "SourcesIds.h"
#include "DestinationIds.h"
#include "JobCommandsIds.h"
#include "OwnDriveIds.h"
#include "RestoreIds.h"
