# Shared by the emulator scripts. Now and then, on a loaded machine, Wine fails to start a program at all: it
# ends at once with an error and the test program has printed nothing, not even GoogleTest's first line. That is
# no result of the test, so the program is started once more, and the script says so; a test that fails after it
# has started is never run again here.
velbrook_run_test() {
  out=$(mktemp)
  "$@" >"$out"
  rc=$?
  if [ $rc -ne 0 ] && [ ! -s "$out" ]; then
    echo "== the test program did not start (exit $rc): starting it once more" >&2
    "$@" >"$out"
    rc=$?
  fi
  cat "$out"
  rm -f "$out"
  return $rc
}
