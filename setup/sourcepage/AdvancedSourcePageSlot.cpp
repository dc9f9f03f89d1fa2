#include "setup/sourcepage/AdvancedSourcePageSlot.h"

Seam<AdvancedSourcePageSlot> g_advancedSourcePage{AdvancedSourcePageSlot{}};
