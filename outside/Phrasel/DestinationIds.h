// Numbers of the destination page's resources in the language library: its controls (the page itself is
// IDD_DESTINATION_PAGE, in WizardIds.h), its strings and its log entries.
#pragma once

// Controls of the destination page
#define IDC_DEST_GROUP_LIST 1139
#define IDC_DEST_TREE 1204
#define IDC_DEST_PIE 1205
#define IDC_DEST_REVISIONS 1140
#define IDC_DEST_NEW_FOLDER 1141
#define IDC_DEST_ABOUT_PLACES 1143
#define IDC_DEST_ABOUT_PIE 1144
#define IDC_DEST_THRESHOLD_SLIDER 1004
#define IDC_DEST_THRESHOLD_EDIT 470
#define IDC_DEST_NOTE_FIRST 1259
#define IDC_DEST_NOTE_LAST 1265

// Strings of the destination page. Two texts serve other windows too: the first entry of the group list is the
// revisions box's "All" (IDS_REVISIONS_ALL), and a destination without a drive is told as change processing tells
// a missing one (IDS_DEST_MISSING_FOR_CHANGES).
#define IDS_NO_DESTINATION 203
#define IDS_DEST_NOT_FOUND 205
#define IDS_FOLDER_NOT_MADE 214
#define IDS_TIP_REVISIONS 253
#define IDS_DEST_FOLDER_MISSING 445
#define IDS_ASK_DEST_TOO_SMALL 447
#define IDS_DEST_GROUP_ALL 470
#define IDS_NEW_FOLDER_PROMPT 516
#define IDS_NEW_FOLDER_EMPTY 517
#define IDS_DEST_GROUP_FIXED 518
#define IDS_DEST_GROUP_REMOVABLE 519
#define IDS_DEST_GROUP_NETWORK 520
#define IDS_DEST_GROUP_AGENTS 521
#define IDS_DEST_GROUP_DEVICES 522
#define IDS_HEADER_DEST_DRIVE 550
#define IDS_HEADER_DEST_FOLDER 551
#define IDS_HEADER_DEST_FOLDERS 552
#define IDS_TIP_DEST_PLACES 563
#define IDS_TIP_DEST_PIE 564
#define IDS_NEW_FOLDER_NAME 9011

// Log entries of the destination page
#define IDS_LOG_DEST_FOLDER_MISSING 53401
#define IDS_LOG_DEST_NOT_CONNECTED 53402
#define IDS_LOG_DEST_FOLDER_NOT_MADE 53403
#define IDS_LOG_DEST_SPACE_UNREAD 53404
#define IDS_LOG_DEST_NO_DRIVE 53405
#define IDS_LOG_DEST_NOT_MARKED 53406
