// Strings of how the main program's runs and starts end: folders a backup passes over, names that clash on the
// destination, due jobs that cannot run, why a run stopped, and a job store or data folder that cannot be used.
#pragma once

#define IDS_LOG_OWN_FOLDER_SKIPPED 53801
#define IDS_LOG_NAME_CASE_CLASH 53802
#define IDS_LOG_DUE_JOB_MISSING_PATH 53803
#define IDS_LOG_DUE_JOB_NO_SOURCE 53804
#define IDS_RUN_STOPPED_DEST_LOST 53810
#define IDS_RUN_STOPPED_DISK_FULL 53811
#define IDS_RUN_STOPPED_NETWORK 53812
#define IDS_RUN_STOPPED_OTHER 53813
#define IDS_RUN_STOPPED_DEST_MISSING 53815
#define IDS_START_NO_DATA_FOLDER 53814
#define IDS_STORE_NOT_SAVED_BOX 53820
#define IDS_DATA_FOLDER_NOT_MADE 53821
