// The test template holding the multi-line list and the edit box with a button.
#pragma once

#define IDD_CONTROLS_TEST 900
#define IDC_TEST_LIST 1001
#define IDC_TEST_EDIT 1002
