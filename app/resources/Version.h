// The version of the main program, as its version block states it.
#pragma once

#define VELBROOK_VERSION_NUMBERS 1, 0, 0, 0
#define VELBROOK_VERSION_TEXT "1.0.0.0"
