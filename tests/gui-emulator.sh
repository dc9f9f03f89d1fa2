#!/bin/sh
# Runs a test program that needs windows: on the Xvfb display that ./test.sh started, in a Wine prefix of
# its own (a prefix whose desktop came up without a display cannot create windows later).
: "${VELBROOK_GUI_DISPLAY:?run the tests through ./test.sh, which starts Xvfb}"
: "${VELBROOK_GUI_PREFIX:?run the tests through ./test.sh, which sets up the Wine prefixes}"
export DISPLAY="$VELBROOK_GUI_DISPLAY" WINEPREFIX="$VELBROOK_GUI_PREFIX" WINEDEBUG=-all
# A runaway test fails at once instead of exhausting the machine: 4 GiB of address space per test process.
# A window test reserves far more address space than it uses (Wine's own reservations, a stack for every thread
# of the main window and its runs): the run-road tests come to about 2 GiB, and a process that reaches its limit
# dies in Wine's thread exit without a word from the test.
ulimit -v "${VELBROOK_TEST_ADDRESS_SPACE_KB:-4194304}"
. "$(dirname "$0")/run-once-more.sh"
velbrook_run_test "${VELBROOK_WINE:-wine}" "$@"
