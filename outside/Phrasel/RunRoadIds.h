// Numbers of the run road's texts in the language library: the end messages of a backup or restore started from
// the main window, the questions of the tray icon and of an arriving drive, and the entries the main window logs
// for the jobs it enables, disables and builds.
#pragma once

// End messages and questions
#define IDS_ASK_EXIT 161
#define IDS_FIRST_BACKUP_FINISHED 238
#define IDS_BACKUP_CANCELLED 259
#define IDS_BACKUP_INCOMPLETE 313
#define IDS_BACKUP_FINISHED_WITH_ERRORS 45100
#define IDS_RESTORE_CANCELLED 50011
// Log entries of a job (the job's name)
#define IDS_LOG_JOB_ENABLED 477
#define IDS_LOG_JOB_DISABLED 478
// Program log entries of the one-click job: the default filter set that chose nothing, the store that could not
// be saved
#define IDS_LOG_DEFAULT_FILTER_UNUSABLE 52751
#define IDS_LOG_JOB_STORE_SAVE_FAILED 52752
