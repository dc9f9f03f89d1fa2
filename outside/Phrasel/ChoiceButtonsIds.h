// The pieces of the choice buttons of the job-type window: the normal set (left, middle, right) and the
// disabled set (left, middle; its right end is the normal one).
#pragma once

#define IDB_CHOICE_NORMAL_LEFT 452
#define IDB_CHOICE_NORMAL_MIDDLE 453
#define IDB_CHOICE_NORMAL_RIGHT 454
#define IDB_CHOICE_DISABLED_LEFT 455
#define IDB_CHOICE_DISABLED_MIDDLE 456
