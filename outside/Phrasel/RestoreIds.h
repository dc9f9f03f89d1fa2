// Strings of a restore: its own log entries, what it leaves at the places it restores to, its end messages, and
// the tray program's back-up-now refused while it runs.
#pragma once

#define IDS_LOG_RESTORE_STARTED 54421
#define IDS_LOG_RESTORE_ENDED 54422
#define IDS_LOG_RESTORE_CANCELLED 54423
#define IDS_LOG_RESTORE_NEWER_KEPT 54424
#define IDS_LOG_RESTORE_NOTHING_OF_PLACE 54425
#define IDS_RESTORE_INCOMPLETE 54426
#define IDS_RESTORE_NEWER_LEFT 54427
#define IDS_BACKUP_WAITS_FOR_RESTORE 54428
#define IDS_LOG_BACKUP_WAITS_FOR_RESTORE 54429
// Why a restore stopped, as the end box and the tray balloon tell it.
#define IDS_RESTORE_STOPPED_PLACE_LOST 54430
#define IDS_RESTORE_STOPPED_DISK_FULL 54431
#define IDS_RESTORE_STOPPED_NETWORK 54432
#define IDS_RESTORE_STOPPED_OTHER 54433
#define IDS_RESTORE_STOPPED_BACKUP_MISSING 54434
// What a restore's log says where a backup's would speak of the backup.
#define IDS_LOG_RESTORE_FOLDER_UNREADABLE 54435
#define IDS_LOG_RESTORE_FOLDER_CUT_SHORT 54436
#define IDS_LOG_RESTORE_BACKUP_LOST 54437
#define IDS_LOG_RESTORE_DISK_FULL 54438
