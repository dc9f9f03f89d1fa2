// Numbers of the main window's face in the language library: the captions of the big buttons and the job cards,
// the texts painted on the skin, and the legends of the drive usage widgets.
#pragma once

// Captions and labels of the main window and the job list
#define IDS_MAIN_RESTORE 123
#define IDS_MAIN_ADD_JOB 201
#define IDS_MAIN_BACKUP 369
#define IDS_MAIN_FREE_SPACE 403
#define IDS_MAIN_USED_SPACE 404
#define IDS_MAIN_DESTINATION 515
#define IDS_MAIN_SELECTED_JOB 50006

// The drive usage widgets: the drive's name (with its label, without one), its figures and the legend
#define IDS_DRIVE_NAME_WITH_LABEL 422
#define IDS_DRIVE_NAME_PLAIN 423
#define IDS_DRIVE_CAPACITY 568
#define IDS_DRIVE_USED 569
#define IDS_DRIVE_FREE 575
#define IDS_LEGEND_USED 570
#define IDS_LEGEND_ADDED 571
#define IDS_LEGEND_FREE 572
#define IDS_LEGEND_WARNING 573
