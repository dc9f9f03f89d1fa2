// Numbers of the texts of the main window's job commands in the language library: deleting a job, a request of
// a later start while a job is being set up, and the restore page's folder browser and option (its empty folder
// takes the destination page's IDS_NO_DESTINATION).
#pragma once

// Questions and notices
#define IDS_ASK_DELETE_JOB 104
#define IDS_BROWSE_RESTORE_FOLDER 198
#define IDS_JOB_SETUP_OPEN 434
#define IDS_ASK_RESTORE_EVERY_FILE 463
// Log entries of a deleted job (the job's name; a filter file's path and the system's text)
#define IDS_LOG_JOB_DELETED 186
#define IDS_LOG_FILTER_FILES_KEPT 54101
#define IDS_LOG_FILTER_FILE_NOT_DELETED 54102
