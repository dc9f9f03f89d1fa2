// Numbers of the markup test program's own strings (MarkupTestStrings.rc).
#pragma once

#define IDS_MARKUP_THREE_LINES 61001
#define IDS_MARKUP_ONE_LINE 61002
#define IDS_MARKUP_MISSING 61003
