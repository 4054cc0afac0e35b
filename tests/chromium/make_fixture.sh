#!/usr/bin/env bash
# Makes the real Chromium profile of the Chromium tests once per build tree (it takes a few
# seconds); a new version of the scripts makes it again. Usage: make_fixture.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1/chromium_fixture
stamp=$(cat "$here/make_fixture.py" "$here/chromium_cdp.py" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then
  echo "chromium fixture: cached in $out"; exit 0
fi
rm -rf "$out"; mkdir -p "$out"
python3 "$here/make_fixture.py" "$out/user-data"
# Only what the tests place in the prefix: the profile's data files, not the browser's
# component downloads.
for f in "$out"/user-data/Default/{History,Cookies,"Web Data",Favicons}; do
  [ -f "$f" ] || { echo "chromium fixture: ${f##*/} was not written" >&2; exit 1; }
done
# Headless Chromium fetches no page icons: Favicons gets two, in its own schema, one for the
# bookmarked page (which keeps it) and one for a page of the history.
sqlite3 "$out/user-data/Default/Favicons" <<'SQL'
INSERT INTO favicons (id, url, icon_type) VALUES (1, 'http://kept.example/favicon.ico', 1);
INSERT INTO favicons (id, url, icon_type) VALUES (2, 'http://gone.example/favicon.ico', 1);
INSERT INTO favicon_bitmaps (icon_id, image_data, width, height) VALUES (1, x'00', 16, 16);
INSERT INTO favicon_bitmaps (icon_id, image_data, width, height) VALUES (2, x'00', 16, 16);
INSERT INTO icon_mapping (page_url, icon_id) VALUES ('http://kept.example/', 1);
INSERT INTO icon_mapping (page_url, icon_id) VALUES ('http://gone.example/', 2);
SQL
rm -f "$out"/user-data/Singleton*
echo "$stamp" > "$out/stamp"
echo "chromium fixture: made in $out"
