#!/usr/bin/env bash
# Builds the programs and starts the main program from a removable drive E: under Wine, as a user starts it from
# a USB drive (or the tray program as it runs at logon, or the starter at the drive's root). On a fresh Debian 12
# machine it first installs what is missing.
set -euo pipefail
cd "$(dirname "$0")"
top=$PWD
build=${VELBROOK_BUILD_DIR:-$top/build}

usage() {
  cat <<'EOF'
Usage: ./run.sh [--drive DIR] [--shot-after S] [--tray | --starter] [--help] [--] [program arguments]

Builds Tarnvel.exe, Tarnvel_Tray.exe, Starter.exe, the language library and the skin, makes DIR (default
build/drive) the removable drive E: of a Wine prefix of its own (build/wine/run), copies the program folder there
as "E:\Tarnvel Program Files" and Starter.exe to E:'s root, and starts "E:\Tarnvel Program Files\Tarnvel.exe"
with the program arguments. The program keeps its data in "E:\Backup Data\<computer>\Velbrook Data Backup\",
which stays from one run to the next.

With $DISPLAY set the program runs there until it ends. Without, it runs on a virtual display: after S seconds
(default 8) build/run-shot.png shows the screen, then the program is asked to close.

The prefix's "C:\Tarnvel sample\" holds a document, a picture and a file the default filter set leaves out (made
when missing), for the one-click backup to find. With "-b" or "--backup" among the program arguments the program
backs up hidden and ends by itself: the script waits up to 120 s for it, takes no screenshot, and then ends what
still runs in the prefix (the tray program that the finished backup deployed and started).

  --drive DIR       the folder that is drive E:
  --shot-after S    seconds before the screenshot (no $DISPLAY only)
  --tray            start the tray program instead, as it runs at logon: it is copied into the prefix's
                    Startup folder and "ENU\Phrasel.dll" into "C:\ProgramData\Tarnvel_PHRASEL\ENU\", then the
                    Startup copy is started; it takes no program arguments
  --starter         start "E:\Starter.exe" with E:'s root as working folder instead, as the user starts it; it
                    starts the main program and ends (the exit code is the starter's); it takes no program
                    arguments
  --help            this text
EOF
}

drive=$build/drive
shot_after=8
mode=main
while [ $# -gt 0 ]; do
  case $1 in
    --drive)
      [ $# -ge 2 ] || { usage >&2; exit 2; }
      drive=$2
      shift 2
      ;;
    --shot-after)
      [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || { usage >&2; exit 2; }
      shot_after=$2
      shift 2
      ;;
    --tray | --starter)
      [ $mode = main ] || { usage >&2; exit 2; }
      mode=${1#--}
      shift
      ;;
    --help | -h)
      usage
      exit 0
      ;;
    --)
      shift
      break
      ;;
    *)
      break
      ;;
  esac
done
[ $mode = main ] || [ $# -eq 0 ] || { usage >&2; exit 2; }
one_shot=0
for argument in "$@"; do
  case $argument in
    -b | --backup) one_shot=1 ;;
  esac
done
mkdir -p "$drive"
drive=$(cd "$drive" && pwd)

# shellcheck source=tools/setup.sh
. tools/setup.sh
velbrook_install_packages imagemagick
velbrook_configure_and_build "$build" programs
# The build is done: a test run may use the build folder while the program runs.
exec 9>&-

velbrook_pick_wine
unset WAYLAND_DISPLAY
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX=$build/wine/run
shot=
cleanup() {
  [ -n "${VELBROOK_XVFB_PID:-}" ] && kill "$VELBROOK_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  velbrook_start_xvfb
  export DISPLAY=$VELBROOK_GUI_DISPLAY
  shot=$build/run-shot.png
fi

# A prefix of its own, brought up detached; its wineserver ends 10 s after the program. E: is a removable drive
# over the drive folder: Wine calls a linked drive fixed unless its registry entry says "floppy", which it reads
# when its wineserver starts.
mkdir -p "$WINEPREFIX"
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
velbrook_init_prefix "$WINEPREFIX" 10
ln -sfn "$drive" "$WINEPREFIX/dosdevices/e:"
if ! grep -qi '^"e:"="floppy"' "$WINEPREFIX/system.reg" 2>/dev/null; then
  "$VELBROOK_WINE" reg add 'HKLM\Software\Wine\Drives' /v e: /d floppy /f >/dev/null 2>&1 </dev/null
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  velbrook_init_prefix "$WINEPREFIX" 10
fi

# Something for the one-click backup to find under C:\ (the prefix's own Documents and such are links to the host,
# which a backup passes over): a document, a picture, and a file that the default filter set leaves out.
sample="$WINEPREFIX/drive_c/Tarnvel sample"
if [ ! -d "$sample" ]; then
  mkdir -p "$sample"
  printf 'Notes for the sample backup.\r\n' >"$sample/Notes.txt"
  printf '\x89PNG\r\n\x1a\n' >"$sample/Picture.png"
  printf 'A log file the default filter set leaves out.\r\n' >"$sample/Left out.log"
fi

# The program folder as it lies on the drive; the data folder "Backup Data" beside it is left alone.
program_folder="$drive/Tarnvel Program Files"
rm -rf "$program_folder"
cp -a "$build/out" "$program_folder"
# The starter lies at the drive's root, beside the program folder.
if [ -f "$build/Starter.exe" ]; then
  cp "$build/Starter.exe" "$drive/"
fi

# The Windows path of a folder of the prefix's current user, such as %APPDATA%.
windows_folder() {
  "$VELBROOK_WINE" cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'
}
unix_path() {
  "$VELBROOK_WINE" winepath -u "$1" </dev/null 2>/dev/null | tr -d '\r'
}
# Whether the main program runs in this prefix: Wine's processes carry their Windows command line and, in their
# environment, their prefix.
main_program_runs() {
  local pid
  for pid in $(pgrep -f 'Tarnvel Program Files.Tarnvel\.exe' || true); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

case $mode in
  main)
    echo "== starting E:\\Tarnvel Program Files\\Tarnvel.exe $*"
    "$VELBROOK_WINE" 'E:\Tarnvel Program Files\Tarnvel.exe' "$@" </dev/null &
    program=$!
    image=Tarnvel.exe
    ;;
  tray)
    # Where the main program deploys it after a finished backup: the user's Startup folder, with the language
    # library in the common application data.
    startup="$(windows_folder APPDATA)\Microsoft\Windows\Start Menu\Programs\StartUp"
    common="$(windows_folder ProgramData)\Tarnvel_PHRASEL"
    mkdir -p "$(unix_path "$startup")" "$(unix_path "$common\ENU")"
    cp "$build/out/Tarnvel_Tray.exe" "$(unix_path "$startup")/"
    cp "$build/out/ENU/Phrasel.dll" "$(unix_path "$common\ENU")/"
    echo "== starting $startup\\Tarnvel_Tray.exe"
    "$VELBROOK_WINE" "$startup\Tarnvel_Tray.exe" </dev/null &
    program=$!
    image=Tarnvel_Tray.exe
    ;;
  starter)
    # Wine makes a Unix working folder inside the drive's folder that drive's path: the starter runs in E:\.
    echo "== starting E:\\Starter.exe in E:\\"
    (cd "$drive" && exec "$VELBROOK_WINE" 'E:\Starter.exe' </dev/null) &
    program=$!
    image=Tarnvel.exe
    ;;
esac
if [ $one_shot -eq 1 ]; then
  # The backup runs hidden and ends the program; a program still there after 120 s is asked to close.
  for _ in $(seq 1200); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$program" 2>/dev/null; then
    echo "== the program did not end within 120 s; asking it to close"
    "$VELBROOK_WINE" taskkill /im "$image" >/dev/null 2>&1 </dev/null || true
  else
    echo "== the program ended by itself"
  fi
elif [ -n "$shot" ]; then
  # The starter ends at once; the main program it started is what the screenshot shows.
  for _ in $(seq $((shot_after * 10))); do
    [ $mode = starter ] || kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  if [ $mode = starter ] || kill -0 "$program" 2>/dev/null; then
    import -display "$DISPLAY" -window root "$shot"
    echo "== screenshot: $shot"
    # Without /f Wine's taskkill posts WM_CLOSE to the program's windows: it ends as by the user's close.
    "$VELBROOK_WINE" taskkill /im "$image" >/dev/null 2>&1 </dev/null || true
  else
    echo "== the program ended before the screenshot"
  fi
fi
set +e
wait "$program"
code=$?
set -e
if [ $mode = starter ]; then
  # The main program that the starter started runs on: until the user closes it, or until the close that the
  # screenshot's end asked for has taken effect.
  echo "== the starter ended; waiting for the main program to end"
  waited=0
  while main_program_runs && { [ -z "$shot" ] || [ $waited -lt 300 ]; }; do
    sleep 0.1
    waited=$((waited + 1))
  done
fi

if [ $one_shot -eq 1 ]; then
  # The tray program that the finished backup started stays with the prefix's other processes: they end here, and
  # its deployed copy starts again with the prefix, as at a logon.
  wineserver -k >/dev/null 2>&1 || true
fi

found=0
if [ $mode = tray ]; then
  found=1
elif [ -d "$drive/Backup Data" ]; then
  while IFS= read -r folder; do
    computer=$(basename "$(dirname "$folder")")
    echo "== data folder: E:\\Backup Data\\$computer\\Velbrook Data Backup\\ ($folder)"
    found=1
  done < <(find "$drive/Backup Data" -mindepth 2 -maxdepth 2 -type d -name 'Velbrook Data Backup')
fi
[ $found -eq 1 ] || echo "== no data folder in $drive/Backup Data"
echo "== exit code: $code"
exit "$code"
