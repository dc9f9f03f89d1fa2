#!/bin/sh
# Runs a test program under Wine without a display, in the build's own prefix.
unset DISPLAY WAYLAND_DISPLAY
: "${WINEPREFIX:?run the tests through ./test.sh, which sets up the Wine prefix}"
export WINEDEBUG=-all
# A runaway test fails at once instead of exhausting the machine: 2 GiB of address space per test process.
ulimit -v "${VELBROOK_TEST_ADDRESS_SPACE_KB:-2097152}"
. "$(dirname "$0")/run-once-more.sh"
velbrook_run_test "${VELBROOK_WINE:-wine}" "$@"
