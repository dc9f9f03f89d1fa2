// The test menu templates and the test toolbar.
#pragma once

#define IDR_TEST_MENU 910
#define IDR_TRUNCATED_MENU 911
#define IDR_UNTERMINATED_MENU 912
#define IDR_BAD_HEADER_MENU 913
#define IDR_TEST_TOOLBAR 920

#define ID_TEST_NEW 101
#define ID_TEST_OPEN 102
#define ID_TEST_SAVE_AS 103
#define ID_TEST_RECENT1 104
#define ID_TEST_RECENT2 105
#define ID_TEST_TWO_TABS 106
#define ID_TEST_EXIT 107
#define ID_TEST_ABOUT 108
#define ID_TEST_QUIT 109
