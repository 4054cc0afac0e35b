# history: "FireFox Typed URLs", "FireFox History File" and "FireFox Forms History" with Compact
# Files Yes on a heavy profile (100k places, 500k visits, 20k cookies, 10k form entries),
# against the plain statements of those purges (no transaction, every statement on its own)
# run by the native sqlite3 command on a copy of the same files. Every run starts from fresh
# copies. A second line tells where our time went, in the run whose total was the median.
dir=$bench_data/history
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null
made=$(wine "$build/bin/fixtures/qvfixture.exe" profile places 100000 visits 5 cookies 20000 \
         forms 10000 | tr -d '\r')
profile=$(winepath -u "${made#profile }")
# fresh_copy SIDE: the profile's three files, as made, in $dir/SIDE.
fresh_copy() {
  mkdir -p "$dir/$1"
  cp "$profile"/places.sqlite "$profile"/favicons.sqlite "$profile"/formhistory.sqlite "$dir/$1/"
}

# Each purge opens its own connection with the pragmas every open sets, as the program does.
history_reference() {
  local opened="PRAGMA SYNCHRONOUS=NORMAL; PRAGMA temp_store = MEMORY;"
  sqlite3 "$dir/reference/places.sqlite" <<SQL
$opened
DELETE FROM moz_InputHistory ;
DELETE FROM moz_FavIcons WHERE id IN( SELECT F.id FROM moz_FavIcons F LEFT OUTER JOIN moz_places P ON P.favicon_id = F.id WHERE P.typed <> 0 AND P.favicon_id IS NULL) ;
DELETE FROM moz_places WHERE id IN ( SELECT P.id FROM moz_places P LEFT OUTER JOIN moz_historyvisits V ON P.id = V.place_id LEFT OUTER JOIN moz_bookmarks B ON P.id = B.fk WHERE V.visit_type = 2 AND B.id IS NULL AND SUBSTR(P.url,0,6) <> 'place:' );
DELETE FROM moz_HistoryVisits WHERE visit_type = 2 ;
SQL
  sqlite3 "$dir/reference/places.sqlite" <<SQL
$opened
DELETE FROM moz_HistoryVisits WHERE visit_type <> 2 ;
DELETE FROM moz_places WHERE id IN ( SELECT P.id FROM moz_places P LEFT OUTER JOIN moz_historyvisits V ON P.id = V.place_id LEFT OUTER JOIN moz_bookmarks B ON P.id = B.fk WHERE V.id IS NULL AND B.id IS NULL AND SUBSTR(P.url,0,6) <> 'place:' );
DELETE FROM moz_Annos WHERE id IN( SELECT A.id FROM moz_Annos A LEFT OUTER JOIN moz_places P ON A.place_id = P.id LEFT OUTER JOIN moz_historyvisits V ON A.place_id = V.place_id WHERE P.id IS NULL OR (V.id IS NULL AND A.expiration != 4));
DELETE FROM moz_HistoryVisits WHERE id IN( SELECT V.id FROM moz_HistoryVisits V LEFT OUTER JOIN moz_places P ON V.place_id = P.id WHERE P.id IS NULL);
DELETE FROM moz_InputHistory WHERE place_id IN( SELECT T.place_id FROM moz_InputHistory T LEFT OUTER JOIN moz_places P ON T.place_id = P.id WHERE P.id IS NULL);
DELETE FROM moz_FavIcons WHERE id IN( SELECT F.id FROM moz_FavIcons F LEFT OUTER JOIN moz_places P ON F.id = P.favicon_id WHERE P.typed = 0 AND P.favicon_id IS NULL) ;
PRAGMA SYNCHRONOUS=OFF;
VACUUM;
SQL
  sqlite3 "$dir/reference/formhistory.sqlite" <<SQL
$opened
DELETE FROM  moz_formhistory;
PRAGMA SYNCHRONOUS=OFF;
VACUUM;
SQL
}

# Each run adds its phases line and its total to phases.txt.
history_ours() {
  local out
  fresh_copy ours
  out=$(wine "$build/bin/history_bench.exe" "$(winepath -w "$dir/ours")" 2>/dev/null | tr -d '\r')
  printf '%s\t%s\n' "$(tail -n 1 <<<"$out")" "$(head -n 1 <<<"$out")" >>"$dir/phases.txt"
  tail -n 1 <<<"$out"
}
history_once() {
  fresh_copy reference
  seconds_of history_reference
}
rm -f "$dir/phases.txt"
ours=$(repeated history_ours)
reference=$(repeated history_once)
bench_line history "$ours" "$reference" 0.35
sort -g "$dir/phases.txt" | sed -n "$(( (runs + 1) / 2 ))p" | cut -f 2- | sed 's/^/history /'
