#include "engine/snapshot/ZorbitVolumeCalls.h"

Seam<ZorbitVolumeCalls> g_zorbitVolumeCalls{ZorbitVolumeCalls{}};
