// Numbers of the markup test program's own resources (MarkupTestStrings.rc).
#pragma once

#define IDS_MARKUP_THREE_LINES 61001
#define IDS_MARKUP_ONE_LINE 61002
#define IDS_MARKUP_MISSING 61003

// 64 x 64 in four quadrants: red, green (top), blue, yellow (bottom).
#define IDB_MARKUP_SQUARE 61101
// 32 x 8: four frames of 8 x 8, red, green, blue, yellow.
#define IDB_MARKUP_STRIP 61102
