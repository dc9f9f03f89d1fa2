#!/usr/bin/env bash
# Formats every C++ source of the project with .clang-format; with --check it changes nothing and fails when a
# file is not formatted (CI runs it so).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/velbrook-format.$$; then
    grep -o '^[^:]*\.\(cpp\|h\)' /tmp/velbrook-format.$$ | sort -u | sed 's/^/not formatted: /'
    rm -f /tmp/velbrook-format.$$
    echo "run tools/format.sh to format them"
    exit 1
  fi
  rm -f /tmp/velbrook-format.$$
  echo "== format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
