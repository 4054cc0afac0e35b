#!/usr/bin/env bash
# Builds Quorvane and starts it under Wine on the demo environment: a private prefix in the
# build folder with a Firefox installation and a profile full of tracks. With a display the
# window stays up for you; without one an automatic purge runs and a screenshot is saved.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
configure_and_build
had_display=${DISPLAY:-}
ensure_display
fresh_prefix demo
# The environment grows by pieces, each adding what a real machine has (demo/pieces/*.sh).
for piece in "$root"/demo/pieces/*.sh; do
  source "$piece" >/dev/null
done
if [ -n "$had_display" ] && xdpyinfo -display "$had_display" >/dev/null 2>&1; then
  # An automatic run (AUTO, BOOT, SHUT) ends with its highest error level as the exit code.
  wine "$build/bin/Quorvane.exe" "$@" || echo "Quorvane ended with exit code $? (the run's highest level)"
else
  shot=$build/demo/quorvane-main-window
  mkdir -p "$build/demo"
  wine "$build/bin/Quorvane.exe" AUTO "$@" &
  quorvane=$!
  wine "$build/bin/fixtures/qvfixture.exe" snap "$(winepath -w "$shot.bmp")" close
  wait $quorvane || true
  convert "$shot.bmp" "$shot.png" && rm -f "$shot.bmp"
  echo "Automatic purge done; screenshot of the main window: $shot.png"
fi
wineserver -w
