// Strings of the backup run's failure reports: folders that cannot be read, a destination that went away or
// filled up, and a job store read back from its temporary file.
#pragma once

#define IDS_LOG_FOLDER_UNREADABLE 52101
#define IDS_LOG_FOLDER_CUT_SHORT 52102
#define IDS_LOG_DEST_LOST 52103
#define IDS_LOG_DISK_FULL 52104
#define IDS_LOG_STORE_RECOVERED 52105
#define IDS_LOG_STORE_NOT_SAVED 52106
#define IDS_LOG_SOURCES_UNREADABLE 52107
#define IDS_LOG_NO_SOURCE 52145
