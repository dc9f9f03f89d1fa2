// The frame bitmaps of the edit box with a button, held by the program: left, middle and right piece of the
// normal frame and of the second frame. The right pieces carry the button's picture.
#pragma once

#define IDB_EDIT_FRAME_LEFT 46121
#define IDB_EDIT_FRAME_MIDDLE 46122
#define IDB_EDIT_FRAME_RIGHT 46123
#define IDB_EDIT_FRAME2_LEFT 1280
#define IDB_EDIT_FRAME2_MIDDLE 1281
#define IDB_EDIT_FRAME2_RIGHT 1282
