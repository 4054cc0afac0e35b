#!/usr/bin/env bash
# Runs a Windows program under Wine in the test environment: the prefix made for this run,
# no debug noise, a private XDG trash, no menu builder. CMake uses it as the emulator for tests.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QV_BUILD:-$root/build}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$build/wine/test}
export XDG_DATA_HOME=${XDG_DATA_HOME:-$build/xdg}
# Each shortcut a test saves would start winemenubuilder, which outlives the test and writes
# the shell-folder values back while a later test has them taken away.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
exec wine "$@"
