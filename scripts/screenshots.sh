#!/usr/bin/env bash
# Renders the main window on each page and sub-page, and after a Preview, and the help viewer at
# its contents page, to PNG files in build/screenshots (under Xvfb when there is no display).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
configure_and_build
ensure_display
fresh_prefix screenshots
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null
wine "$build/bin/fixtures/qvfixture.exe" profile >/dev/null
out=$build/screenshots
rm -rf "$out"; mkdir -p "$out"
wine "$build/bin/screenshots.exe" "$(winepath -w "$out")"
for bmp in "$out"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"; done
echo "screenshots in $out:"
ls "$out"
