#!/usr/bin/env bash
# Builds the project and runs the backup benchmark under the project's Wine prefix (the one the headless tests
# use). Usage: bench/run.sh [--files N] [--work DIR]
#   --files N   files in the main tree (default 20000, about 2.3 GB)
#   --work DIR  where the trees are written (default: the build folder's bench-work); it is emptied first
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=${VELBROOK_BUILD_DIR:-$top/build}
files=20000
work=

while [ $# -gt 0 ]; do
  case $1 in
    --files) files=${2:?--files needs a number}; shift 2 ;;
    --work) work=${2:?--work needs a folder}; shift 2 ;;
    *) echo "usage: bench/run.sh [--files N] [--work DIR]" >&2; exit 2 ;;
  esac
done
case $files in ''|*[!0-9]*) echo "--files needs a positive number" >&2; exit 2 ;; esac
[ -n "$work" ] || work=$build/bench-work
mkdir -p "$work"
work=$(cd "$work" && pwd)

# shellcheck source=../tools/setup.sh
. tools/setup.sh
velbrook_install_packages
velbrook_configure_and_build "$build"
velbrook_start_wine "$build"

# Wine sees the Linux root as drive Z:.
winwork="Z:${work//\//\\}"
echo "== backup benchmark: $files files in $work"
"$VELBROOK_WINE" "$build/bench/backup_bench.exe" --files "$files" --work "$winwork"
