#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need on Debian 12, as root.
# Idempotent and quiet: when everything is present it only checks and returns.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f /var/lib/apt/lists/lock
  updated=0
fi

# One package a line. sqlite3: the native command of the history benchmark's reference side;
# fp-utils: chmcmd, which compiles the help file; clang and libclang-rt-14-dev: libFuzzer
# for scripts/fuzz.sh; nsis: makensis, which builds the setup program (scripts/package.sh);
# nlohmann-json3-dev: the JSON reader of the Chromium browsers' files; chromium: the real
# browser that writes the Chromium tests' profile and reopens it after the purge;
# bleachbit and time: the memory benchmark's reference and its measure of peak memory.
packages=(
  wine
  wine32:i386
  g++-mingw-w64-i686
  cmake
  googletest
  xvfb
  x11-utils
  imagemagick
  xauth
  sqlite3
  fp-utils
  clang
  libclang-rt-14-dev
  nsis
  nlohmann-json3-dev
  chromium
  bleachbit
  time
)
for p in "${packages[@]}"; do
  have_pkg "$p" || need+=("$p")
done

# npm fetches the SQLite amalgamation; the machine's own Node.js may already bring it.
command -v npm >/dev/null || need+=(npm)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails one index; the lists that did arrive usually still serve.
  apt-get update -qq || echo "setup: apt-get update reported errors; installing from the lists it has"
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The SQLite amalgamation that becomes the test installation's SQLite DLL.
"$(dirname "$0")/fetch-sqlite.sh"
