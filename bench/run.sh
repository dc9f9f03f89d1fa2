#!/usr/bin/env bash
# Builds the project and runs a benchmark under the project's Wine prefix (the one the headless tests use).
# Usage: bench/run.sh [--files N] [--work DIR]                 the backup benchmark
#        bench/run.sh watch [--files N] [--rate R] [--work DIR]  the watch benchmark
#   --files N   backup: files in the main tree (default 20000, about 2.3 GB); watch: files of the latency phase
#               (default 120)
#   --rate R    watch: files written a second in the latency phase (default 0.5)
#   --work DIR  where the trees are written (default: the build folder's bench-work, or bench-watch); it is
#               emptied first
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=${VELBROOK_BUILD_DIR:-$top/build}
mode=backup
if [ "${1:-}" = watch ]; then
  mode=watch
  shift
fi
files=
rate=0.5
work=
usage="usage: bench/run.sh [--files N] [--work DIR] | bench/run.sh watch [--files N] [--rate R] [--work DIR]"

while [ $# -gt 0 ]; do
  case $1 in
    --files) files=${2:?--files needs a number}; shift 2 ;;
    --rate) [ $mode = watch ] || { echo "$usage" >&2; exit 2; }; rate=${2:?--rate needs a number}; shift 2 ;;
    --work) work=${2:?--work needs a folder}; shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
[ -n "$files" ] || { [ $mode = watch ] && files=120 || files=20000; }
case $files in ''|*[!0-9]*) echo "--files needs a positive number" >&2; exit 2 ;; esac
case $rate in ''|*[!0-9.]*|*.*.*) echo "--rate needs a positive number" >&2; exit 2 ;; esac
[ -n "$work" ] || { [ $mode = watch ] && work=$build/bench-watch || work=$build/bench-work; }
mkdir -p "$work"
work=$(cd "$work" && pwd)

# shellcheck source=../tools/setup.sh
. tools/setup.sh
velbrook_install_packages
velbrook_configure_and_build "$build"
velbrook_start_wine "$build"
# The prefix belongs to the user the tests run as (when run as root): so does the benchmark, and its trees.
[ ${#VELBROOK_AS_TEST_USER[@]} -eq 0 ] || chown -R "$VELBROOK_TEST_USER:" "$work"

# Wine sees the Linux root as drive Z:.
winwork="Z:${work//\//\\}"
if [ $mode = watch ]; then
  echo "== watch benchmark: $files files at $rate a second, 1,000 new files, then a burst, in $work"
  "${VELBROOK_AS_TEST_USER[@]}" "$VELBROOK_WINE" "$build/bench/watch_bench.exe" --files "$files" --rate "$rate" --work "$winwork"
else
  echo "== backup benchmark: $files files in $work"
  "${VELBROOK_AS_TEST_USER[@]}" "$VELBROOK_WINE" "$build/bench/backup_bench.exe" --files "$files" --work "$winwork"
fi
