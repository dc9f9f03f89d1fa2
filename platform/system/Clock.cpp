#include "platform/system/Clock.h"

__time64_t SystemClock()
{
    return _time64(nullptr);
}

Seam<PFN_CLOCK> g_pfnClock{&SystemClock};
