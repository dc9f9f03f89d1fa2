// Resources of the button tests: two icons (in and out).
#pragma once

#define IDI_TEST_ICON_IN 700
#define IDI_TEST_ICON_OUT 701
