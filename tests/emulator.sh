#!/bin/sh
# Runs a test program under Wine without a display, in the build's own prefix.
unset DISPLAY WAYLAND_DISPLAY
: "${WINEPREFIX:?run the tests through ./test.sh, which sets up the Wine prefix}"
export WINEDEBUG=-all
exec "${VELBROOK_WINE:-wine}" "$@"
