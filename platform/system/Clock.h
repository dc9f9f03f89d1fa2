// The program's clock: seconds since 1970 (UTC). The schedule and the progress estimate read the time through
// it, so that tests can set the time.
#pragma once
#include <windows.h>

#include <ctime>

#include "platform/system/Seam.h"

using PFN_CLOCK = __time64_t (*)();
// The system's time.
__time64_t SystemClock();
extern Seam<PFN_CLOCK> g_pfnClock;
