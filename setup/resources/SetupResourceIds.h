// Numbers of the resources of job setup that the program holds itself (not the language library): the filter
// edit dialog's button images (white is their transparent colour) and the folder image of its type list.
#pragma once

#define IDB_FILTER_DELETE 524
#define IDB_FILTER_ADD 525
#define IDB_FILTER_ADD_MENU 526
#define IDB_FILTER_FOLDER 527
