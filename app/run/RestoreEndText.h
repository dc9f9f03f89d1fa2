// What the end of a restore that finished tells the user, in the progress window or the end box.
#pragma once
#include <windows.h>

#include "platform/text/String.h"

// "The restore has finished." (405), or, when files could not be restored, how many (the log tells which); then,
// when the restore left files at their places that were newer than their backup copies, how many.
CString RestoreEndText(int errorCount, int newerKept);
