// The default pieces of the wizard button, held by the program: left end, middle and right end of each state's
// pill, 24-bit, magenta outside the pill, all of one height.
#pragma once

#define IDB_WIZARD_HOVER_RIGHT 431
#define IDB_WIZARD_DISABLED_LEFT 432
#define IDB_WIZARD_DISABLED_MIDDLE 433
#define IDB_WIZARD_DISABLED_RIGHT 434
#define IDB_WIZARD_PRESSED_LEFT 435
#define IDB_WIZARD_PRESSED_MIDDLE 436
#define IDB_WIZARD_PRESSED_RIGHT 437
#define IDB_WIZARD_NORMAL_LEFT 438
#define IDB_WIZARD_NORMAL_MIDDLE 439
#define IDB_WIZARD_NORMAL_RIGHT 440
#define IDB_WIZARD_HOVER_LEFT 441
#define IDB_WIZARD_HOVER_MIDDLE 442
