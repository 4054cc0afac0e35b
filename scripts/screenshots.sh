#!/usr/bin/env bash
# Renders the main window on each page and sub-page, and after a Preview, the cookie window on
# each tab with its editor, and the help viewer at its contents page, to PNG files in
# build/screenshots (under Xvfb when there is no display).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
configure_and_build
ensure_display
fresh_prefix screenshots
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null
wine "$build/bin/fixtures/qvfixture.exe" profile >/dev/null
# A few Internet Explorer cookies for the cookie window's IE tabs.
wine "$build/bin/fixtures/wininet_tracks.exe" demo >/dev/null || true
# A Google Chrome with the tests' real profile for the Chromium tab.
place_chromium_profile "Google/Chrome"
out=$build/screenshots
rm -rf "$out"; mkdir -p "$out"
wine "$build/bin/screenshots.exe" "$(winepath -w "$out")"
for bmp in "$out"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"; done
echo "screenshots in $out:"
ls "$out"
