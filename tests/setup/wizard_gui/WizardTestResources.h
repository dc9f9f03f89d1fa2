// The test program's own template: a plain child page that stands in for the source and destination pages.
#pragma once

#define IDD_COUNTING_PAGE 61001
#define IDC_COUNTING_TEXT 61002
