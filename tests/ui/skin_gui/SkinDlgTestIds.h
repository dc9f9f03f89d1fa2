// Resources of the skinned-dialog window tests.
#pragma once

#define IDD_TEST_SKIN_DIALOG 9601
#define IDC_TEST_SKIN_LABEL 9602
