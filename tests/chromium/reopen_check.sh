#!/usr/bin/env bash
# A real Chromium opens the profile the chromium tests purged (build/chromium_fixture/purged):
# kept and randomized cookies and the bookmark are there; afterwards its History holds no page.
# Usage: reopen_check.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
purged=$1/chromium_fixture/purged
[ -f "$purged/rand-value.txt" ] || { echo "chromium reopen: no purged profile in $purged" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$purged" "$work/user-data"
python3 "$here/reopen_check.py" "$work/user-data"
pages=$(sqlite3 "$work/user-data/Default/History" "SELECT count(*) FROM urls")
[ "$pages" = 0 ] || { echo "chromium reopen: History holds $pages pages" >&2; exit 1; }
echo "chromium reopen: History empty"
