#include "setup/sourcepage/AdvancedSourcePageSlot.h"

#include "setup/sourcepage/SourceAdvancedPage.h"

Seam<AdvancedSourcePageSlot> g_advancedSourcePage{MakeAdvancedSourcePageSlot()};
