#!/usr/bin/env bash
# Makes the real Chromium profile of the Chromium tests once per build tree (it takes a few
# seconds); a new version of the scripts makes it again. Usage: make_fixture.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1/chromium_fixture
stamp=$(cat "$0" "$here/make_fixture.py" "$here/chromium_cdp.py" | sha256sum | cut -c1-16)
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then
  echo "chromium fixture: cached in $out"; exit 0
fi
rm -rf "$out"; mkdir -p "$out"
python3 "$here/make_fixture.py" "$out/user-data"
# Only what the tests place in the prefix: the profile's data files, not the browser's
# component downloads.
for f in "$out"/user-data/Default/{History,Cookies,"Web Data",Favicons,Shortcuts,\
"Network Action Predictor",AccountBookmarks,EncryptedBookmarks2,\
"Service Worker/ScriptCache/index",Sessions_Encrypted}; do
  [ -e "$f" ] || { echo "chromium fixture: ${f#"$out"/user-data/} was not written" >&2; exit 1; }
done
# The browser keeps its journals, emptied, beside its databases; so do these writes.
# Headless Chromium fetches no page icons: Favicons gets three, in its own schema, one for the
# bookmarked page and one for the account's bookmarked page (which keep them) and one for a page
# of the history.
sqlite3 "$out/user-data/Default/Favicons" >/dev/null <<'SQL'
PRAGMA journal_mode = TRUNCATE;
INSERT INTO favicons (id, url, icon_type) VALUES (1, 'http://kept.example/favicon.ico', 1);
INSERT INTO favicons (id, url, icon_type) VALUES (2, 'http://gone.example/favicon.ico', 1);
INSERT INTO favicons (id, url, icon_type) VALUES (3, 'http://other.example/favicon.ico', 1);
INSERT INTO favicon_bitmaps (icon_id, image_data, width, height) VALUES (1, x'00', 16, 16);
INSERT INTO favicon_bitmaps (icon_id, image_data, width, height) VALUES (2, x'00', 16, 16);
INSERT INTO favicon_bitmaps (icon_id, image_data, width, height) VALUES (3, x'00', 16, 16);
INSERT INTO icon_mapping (page_url, icon_id) VALUES ('http://kept.example/', 1);
INSERT INTO icon_mapping (page_url, icon_id) VALUES ('http://gone.example/', 2);
INSERT INTO icon_mapping (page_url, icon_id) VALUES ('http://other.example/', 3);
SQL
# Nothing is typed into a headless browser's address bar: its Shortcuts and Network Action
# Predictor get, in their own schemas, what typing "typ" and choosing the typed page leaves.
sqlite3 "$out/user-data/Default/Shortcuts" >/dev/null <<'SQL'
PRAGMA journal_mode = TRUNCATE;
INSERT INTO omni_box_shortcuts (id, text, fill_into_edit, url, document_type, contents,
  contents_class, description, description_class, transition, type, keyword, last_access_time,
  number_of_hits) VALUES ('8f0c2a6e-1d3b-4c5a-9e7f-0a1b2c3d4e5f', 'typ', 'typed.example/form',
  'http://typed.example/form', 0, 'typed.example/form', '0,1', 'typed.example /form', '0,0', 1,
  0, '', 13400000000000000, 1);
SQL
sqlite3 "$out/user-data/Default/Network Action Predictor" >/dev/null <<'SQL'
PRAGMA journal_mode = TRUNCATE;
INSERT INTO network_action_predictor (id, user_text, url, number_of_hits, number_of_misses)
  VALUES ('5b6c7d8e-9f0a-4b1c-8d2e-3f4a5b6c7d8e', 'typ', 'http://typed.example/form', 1, 0);
SQL
rm -f "$out"/user-data/Singleton*
echo "$stamp" > "$out/stamp"
echo "chromium fixture: made in $out"
