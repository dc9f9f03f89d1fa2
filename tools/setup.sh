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
  if [ ! -f "$prefix/.velbrook-ready" ]; then
    echo "== initialising Wine prefix $prefix"
    mkdir -p "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$VELBROOK_WINE" wineboot -i >/dev/null 2>&1 </dev/null
    WINEPREFIX=$prefix wineserver -w
    touch "$prefix/.velbrook-ready"
  fi
  WINEPREFIX=$prefix wineserver "-p$persist" >/dev/null 2>&1 </dev/null
  # Bring up the prefix's own processes (services, device manager) now, detached: started by the first test,
  # they would hold ctest's output pipe open.
  WINEPREFIX=$prefix "$VELBROOK_WINE" wineboot >/dev/null 2>&1 </dev/null
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
  WINEPREFIX=$VELBROOK_HEADLESS_PREFIX wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$VELBROOK_GUI_PREFIX wineserver -k >/dev/null 2>&1 || true
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
  trap velbrook_stop_wine EXIT
  velbrook_start_xvfb
  velbrook_init_prefix "$VELBROOK_HEADLESS_PREFIX"
  DISPLAY=$VELBROOK_GUI_DISPLAY velbrook_init_prefix "$VELBROOK_GUI_PREFIX"
}
