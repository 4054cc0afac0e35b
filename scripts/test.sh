#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Extra arguments go to ctest
# (for one test: scripts/test.sh -R settings).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
configure_and_build
ensure_display
fresh_prefix test
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
