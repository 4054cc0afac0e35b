#!/usr/bin/env bash
# Puts the pinned SQLite amalgamation into third_party/sqlite (not committed).
# It comes from the npm registry's better-sqlite3 package, which ships sqlite3.c and sqlite3.h.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=$root/third_party/sqlite
pkg=better-sqlite3@12.4.1
c_sha=90b7189566ea710ee18361b25d893f5cda3fcf43033223a16384762f53e99a85
h_sha=abd1514e0351f79393d1be882830afdb40a8099e8257f311f0bfdf8486f11bea

check() { echo "$c_sha  $dest/sqlite3.c" | sha256sum -c --quiet - >/dev/null 2>&1 &&
          echo "$h_sha  $dest/sqlite3.h" | sha256sum -c --quiet - >/dev/null 2>&1; }
check && exit 0

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && npm pack --silent "$pkg" >/dev/null)
tar xzf "$tmp"/better-sqlite3-*.tgz -C "$tmp" package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h
mkdir -p "$dest"
cp "$tmp/package/deps/sqlite3/sqlite3.c" "$tmp/package/deps/sqlite3/sqlite3.h" "$dest/"
check || { echo "fetch-sqlite: hash mismatch for $pkg" >&2; rm -f "$dest"/sqlite3.[ch]; exit 1; }
