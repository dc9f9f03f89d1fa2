# Shared by ./test.sh and ./run.sh: packages, build, Wine prefixes, Xvfb.

# Parallel build and test jobs; set VELBROOK_JOBS lower when several builds share the machine.
VELBROOK_JOBS=${VELBROOK_JOBS:-$(nproc)}

VELBROOK_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools googletest wine wine64
                   xvfb xauth python3 procps)

# velbrook_install_packages [extra package ...]
velbrook_install_packages() {
  local missing=()
  for p in "${VELBROOK_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# velbrook_configure_and_build <build folder> [target ...]: everything unless targets are named.
velbrook_configure_and_build() {
  local build=$1
  shift
  # One build and test run at a time per build folder (the lock is held until this shell ends): a second run
  # in the same folder would race on the build files and stop the first one's wineservers.
  mkdir -p "$build"
  exec 9>"$build/.lock"
  flock 9
  if [ ! -f "$build/build.ninja" ]; then
    echo "== configure"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
  fi
  echo "== build"
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  cmake --build "$build" -j "$VELBROOK_JOBS" "${targets[@]}"
}

# One Wine prefix for programs without a display and one for windows on Xvfb; each gets a persistent
# wineserver whose output is detached, or ctest would wait on the pipe it inherited.
# velbrook_init_prefix <prefix> [seconds]: the wineserver stays until killed, or that many seconds after the
# prefix's last program ended.
velbrook_init_prefix() {
  local prefix=$1
  local persist=${2:-}
  local as=("${VELBROOK_AS_TEST_USER[@]}")
  if [ ! -f "$prefix/.velbrook-ready" ]; then
    echo "== initialising Wine prefix $prefix"
    "${as[@]}" mkdir -p "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "${as[@]}" "$VELBROOK_WINE" wineboot -i \
      >/dev/null 2>&1 </dev/null
    WINEPREFIX=$prefix "${as[@]}" wineserver -w
    "${as[@]}" touch "$prefix/.velbrook-ready"
  fi
  WINEPREFIX=$prefix "${as[@]}" wineserver "-p$persist" >/dev/null 2>&1 </dev/null
  # Bring up the prefix's own processes (services, device manager) now, detached: started by the first test,
  # they would hold ctest's output pipe open.
  WINEPREFIX=$prefix "${as[@]}" "$VELBROOK_WINE" wineboot >/dev/null 2>&1 </dev/null
}

# The tests run as an ordinary user: under Wine a root process writes read-only files and replaces read-only
# targets as if the attribute were not there, so as root no read-only rule of the system would be tested. Run
# as root, this makes the user (once), gives it the build folder and a way into it, and sets
# VELBROOK_AS_TEST_USER to the command prefix that runs a command as that user; run as anyone else it changes
# nothing (the prefix is empty).
VELBROOK_TEST_USER=velbrook-tests
VELBROOK_AS_TEST_USER=()
velbrook_use_test_user() {
  local build=$1
  if [ "$(id -u)" -ne 0 ]; then
    VELBROOK_TEST_USER=$(id -un)
    return 0
  fi
  local home=/var/lib/$VELBROOK_TEST_USER
  if ! id -u "$VELBROOK_TEST_USER" >/dev/null 2>&1; then
    echo "== making the test user $VELBROOK_TEST_USER"
    useradd --system --create-home --home-dir "$home" --shell /usr/sbin/nologin "$VELBROOK_TEST_USER"
  fi
  # Test discovery, ctest's records and the tests' pictures are all written inside the build folder. The prefix
  # of ./run.sh stays with the user who runs that (Wine refuses a prefix that is not the caller's own).
  find "$build" -path "$build/wine/run" -prune -o -print0 | xargs -0 chown -h "$VELBROOK_TEST_USER:"
  # A prefix records its wineserver's private folder under /tmp; one made by root would turn the user away. No
  # wineserver of this build runs now (the build lock), so the record can go: the next server makes a new one.
  rm -f "$build"/wine/*/wineserver
  VELBROOK_AS_TEST_USER=(setpriv "--reuid=$VELBROOK_TEST_USER" "--regid=$VELBROOK_TEST_USER" --init-groups
                         env "HOME=$home" "USER=$VELBROOK_TEST_USER" "LOGNAME=$VELBROOK_TEST_USER")
  # Every folder above the build and source folders must let the user through.
  local dir
  for dir in "$build" "$top"; do
    while [ "$dir" != / ]; do
      dir=$(dirname "$dir")
      if ! "${VELBROOK_AS_TEST_USER[@]}" test -x "$dir"; then
        echo "== letting the test user through $dir"
        chmod o+x "$dir"
      fi
    done
  done
}

# Starts the desktop keeper in a prefix (tests/tools/DesktopKeeper.cpp) and waits until its window stands: the
# desktop process then lives through the whole test run instead of coming and going between tests.
velbrook_keep_desktop() {
  local prefix=$1 build=$2
  local keeper=$build/testbin/desktop_keeper.exe ready=$prefix/.desktop-up
  [ -f "$keeper" ] || return 0
  "${VELBROOK_AS_TEST_USER[@]}" rm -f "$ready"
  WINEPREFIX=$prefix "${VELBROOK_AS_TEST_USER[@]}" "$VELBROOK_WINE" "$keeper" "Z:${ready//\//\\}" \
    >/dev/null 2>&1 </dev/null &
  for _ in $(seq 1200); do
    [ -e "$ready" ] && return 0
    sleep 0.1
  done
  echo "== the desktop of $prefix did not come up"
}

velbrook_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  VELBROOK_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  export VELBROOK_GUI_DISPLAY=":$n"
}

velbrook_stop_wine() {
  WINEPREFIX=$VELBROOK_HEADLESS_PREFIX "${VELBROOK_AS_TEST_USER[@]}" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$VELBROOK_GUI_PREFIX "${VELBROOK_AS_TEST_USER[@]}" wineserver -k >/dev/null 2>&1 || true
  [ -n "${VELBROOK_XVFB_PID:-}" ] && kill "$VELBROOK_XVFB_PID" 2>/dev/null || true
}

# The 64-bit loader, directly: the distribution's wrapper prefers a 32-bit loader that some kernels cannot run.
velbrook_pick_wine() {
  if [ -x /usr/lib/wine/wine64 ]; then
    export VELBROOK_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
  else
    export VELBROOK_WINE=wine
  fi
}

velbrook_start_wine() {
  local build=$1
  velbrook_pick_wine
  unset DISPLAY WAYLAND_DISPLAY
  export WINEDEBUG=-all WINEARCH=win64
  export VELBROOK_HEADLESS_PREFIX=$build/wine/headless VELBROOK_GUI_PREFIX=$build/wine/gui
  export WINEPREFIX=$VELBROOK_HEADLESS_PREFIX
  velbrook_use_test_user "$build"
  trap velbrook_stop_wine EXIT
  velbrook_start_xvfb
  velbrook_init_prefix "$VELBROOK_HEADLESS_PREFIX"
  DISPLAY=$VELBROOK_GUI_DISPLAY velbrook_init_prefix "$VELBROOK_GUI_PREFIX"
  velbrook_keep_desktop "$VELBROOK_HEADLESS_PREFIX" "$build"
  DISPLAY=$VELBROOK_GUI_DISPLAY velbrook_keep_desktop "$VELBROOK_GUI_PREFIX" "$build"
}
