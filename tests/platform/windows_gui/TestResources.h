// Resources of the window test program (its own, beside those of the language library).
#pragma once

#define IDD_TEST_EXCHANGE 700
#define IDC_TEST_CHECK 701
#define IDC_TEST_RADIO1 702
#define IDC_TEST_RADIO2 703
#define IDC_TEST_RADIO3 704
#define IDC_TEST_COMBO 705
#define IDC_TEST_NUMBER 706
#define IDC_TEST_OWNERDRAW 707

#define IDR_TEST_MENU 720
#define ID_TEST_OPEN 721
#define ID_TEST_CLOSE 722

#define IDB_TEST_BITMAP 730
