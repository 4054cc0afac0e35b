# Shared pieces of the build, test and demo scripts. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QV_BUILD:-$root/build}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} LANG=${LANG:-C.UTF-8}
# SHEmptyRecycleBinA under Wine empties the XDG trash of the Linux user: never the real one.
export XDG_DATA_HOME=$build/xdg
mkdir -p "$XDG_DATA_HOME"
# A log-off or shut-down under Wine ends every program of the prefix: tests and the demo have
# the program write its shutdown actions to this file instead.
export QUORVANE_SHUTDOWN_RECORD="Z:$build/shutdown-actions.txt"

# Builds a configured tree, showing warnings and errors but not the progress lines; fails
# when the build fails (the scripts run with pipefail).
build_tree() {
  cmake --build "$1" -j "$(nproc)" -- --no-print-directory | { grep -vE '^\[ *[0-9]+%\]' || true; }
}

configure_and_build() {
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  build_tree "$build"
}

# An X display for the windows: the user's, or a private Xvfb that ends with the script.
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 91 120); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb_pid 2>/dev/null || true' EXIT
    return
  done
  echo "no free X display number" >&2; exit 1
}

# A 32-bit prefix booted once and kept in the build folder; copies of it are what runs use.
template_prefix() {
  local t=$build/wine/template
  if [ ! -f "$t/.qv-ready" ]; then
    rm -rf "$t"; mkdir -p "$build/wine"
    WINEPREFIX=$t wineboot -i >/dev/null 2>&1
    # Without a window manager Wine waits ~2 s each time a top-level window hides.
    WINEPREFIX=$t wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    WINEPREFIX=$t wineserver -w
    unlink_user_folders "$t"
    touch "$t/.qv-ready"
  fi
  # WinINet used once: Wine then creates the IE cache, cookie and history containers.
  if [ ! -f "$t/.qv-wininet" ] && [ -x "$build/bin/fixtures/wininet_tracks.exe" ]; then
    WINEPREFIX=$t wine "$build/bin/fixtures/wininet_tracks.exe" prime >/dev/null 2>&1
    WINEPREFIX=$t wineserver -w
    touch "$t/.qv-wininet"
  fi
  echo "$t"
}

# A new prefix links the user's Desktop, Documents, Pictures ... to the Linux home of whoever
# runs Wine: a purge, a plugin or a shortcut would reach that person's real files. Every prefix
# gets real folders in their place.
unlink_user_folders() {
  local link
  for link in "$1"/drive_c/users/*/*; do
    [ -L "$link" ] || continue
    rm -f "$link" && mkdir -p "$link"
  done
}

# fresh_prefix NAME: a new copy of the template at $build/wine/NAME, exported as WINEPREFIX.
fresh_prefix() {
  local t p=$build/wine/$1
  t=$(template_prefix)
  [ -d "$p" ] && WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
  rm -rf "$p"; cp -a "$t" "$p"
  unlink_user_folders "$p"
  export WINEPREFIX=$p
}

# place_chromium_profile BROWSER...: the real profile Debian's chromium writes for the tests
# (tests/chromium/make_fixture.sh, made once per build tree) at each browser's Windows place
# below %LOCALAPPDATA% of the current prefix ("Google/Chrome"), its cookies in the Network
# folder as Windows releases keep them.
place_chromium_profile() {
  local local_dir browser user_data
  bash "$root/tests/chromium/make_fixture.sh" "$build" >/dev/null
  local_dir=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
  for browser in "$@"; do
    user_data="$local_dir/$browser/User Data"
    mkdir -p "$(dirname "$user_data")"
    rm -rf "$user_data"
    cp -r "$build/chromium_fixture/user-data" "$user_data"
    rm -f "$user_data"/Singleton* "$user_data/Default/Cookies-journal"
    mkdir -p "$user_data/Default/Network"
    mv "$user_data/Default/Cookies" "$user_data/Default/Network/Cookies"
  done
}
