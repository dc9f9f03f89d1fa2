// Numbers of the resources of job setup that the program holds itself (not the language library): the filter
// edit dialog's button images (white is their transparent colour) and the folder image of its type list; the source
// pages' images and the check cursor, the destination page's icons.
#pragma once

#define IDB_FILTER_DELETE 524
#define IDB_FILTER_ADD 525
#define IDB_FILTER_ADD_MENU 526
#define IDB_FILTER_FOLDER 527

// The source tree's own image, added after the shell's small icons (16 by 16, white transparent).
#define IDB_TREE_IMAGES 429
// The basic source page's check boxes: images 32 pixels wide, white transparent; 1 unchecked, 2 checked.
#define IDB_SOURCE_CHECKS 488
// The advanced source page's check boxes, 16 by 16, white transparent, image i for check state i: the tree's and the
// file list's, and the file list's greyed ones while its boxes are off.
#define IDB_CATEGORY_TREE_CHECKS 10001
#define IDB_CATEGORY_LIST_CHECKS 10008
// The cursor over a check box of the source tree and its file list.
#define IDC_CHECK_CURSOR 10002
// The destination page's button icons (16 by 16): the tooltips' explanations of the places and of the pie, the
// revisions and options, a new folder.
#define IDI_DEST_ABOUT_PIE 502
#define IDI_DEST_REVISIONS 503
#define IDI_DEST_NEW_FOLDER 504
#define IDI_DEST_ABOUT_PLACES 505
