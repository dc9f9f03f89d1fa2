// Strings of a job's own drive: the destination drive looked for by its identity before a run, the sources'
// destinations that follow it, and the places a two-way job may not copy to and from.
#pragma once

// The job's log, before a run (the time; the paths, drive letters and identities named)
#define IDS_LOG_DEST_DRIVE_MOVED 54401
#define IDS_LOG_DEST_DRIVE_OTHER 54402
#define IDS_LOG_DEST_DRIVE_NONE 54403
#define IDS_LOG_DEST_DRIVE_TWICE 54404
#define IDS_LOG_DEST_DRIVE_REMARKED 54405
#define IDS_LOG_SOURCE_DEST_REBUILT 54406
#define IDS_LOG_TWO_WAY_DEST_DISABLED 54407
#define IDS_LOG_TWO_WAY_DEST_REFUSED 54408
#define IDS_LOG_ARRIVAL_ID_TWICE 54409
// What a run that could not start adds to the destination's "cannot be reached" in the copy-error list
#define IDS_DEST_NOT_OWN_DRIVE 54410
#define IDS_DEST_TWO_WAY_PLACE 54411
// Why a run stopped, in the end box and the tray program's balloon
#define IDS_RUN_STOPPED_DEST_REFUSED 54412
// The program's log: its own drive went while runs went on
#define IDS_LOG_PROGRAM_DRIVE_REMOVED 54413
