# Piece of scripts/bench.sh. cookies: "FireFox Cookies" on a heavy cookie store (20 000 cookies
# on 3 000 hosts; 100 hosts kept, 20 randomized), against one native sqlite3 statement deleting
# the same rows from a copy of the same file. Every run starts from a fresh copy.
dir=$bench_data/cookies
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null
made=$(wine "$build/bin/fixtures/qvfixture.exe" profile places 100 cookies 20000 cookiehosts 3000 |
       tr -d '\r')
profile=$(winepath -u "${made#profile }")
mkdir -p "$dir/ours" "$dir/reference" "$dir/keep"
cp "$profile/cookies.sqlite" "$dir/original.sqlite"
mapfile -t hosts < <(sqlite3 "$dir/original.sqlite" \
  "SELECT host FROM moz_cookies GROUP BY host ORDER BY host LIMIT 120")
{
  for h in "${hosts[@]:0:100}"; do printf 'p=%s\r\n' "$h"; done
  for h in "${hosts[@]:100:20}"; do printf 'r=%s\r\n' "$h"; done
} > "$dir/keep/Quorvane.Dat"
list=$(printf "'%s'," "${hosts[@]}")
cookies_ours() {
  cp "$dir/original.sqlite" "$dir/ours/cookies.sqlite"
  wine "$build/bin/cookie_bench.exe" "$(winepath -w "$dir/ours")" "$(winepath -w "$dir/keep")" \
    2>/dev/null | tr -d '\r'
}
cookies_statement() {
  sqlite3 "$dir/reference/cookies.sqlite" \
    "PRAGMA SYNCHRONOUS=NORMAL; DELETE FROM moz_cookies WHERE host NOT IN (${list%,});"
}
cookies_reference() {
  cp "$dir/original.sqlite" "$dir/reference/cookies.sqlite"
  seconds_of cookies_statement
}
ours=$(repeated cookies_ours)
reference=$(repeated cookies_reference)
left_ours=$(sqlite3 "$dir/ours/cookies.sqlite" "SELECT COUNT(*) FROM moz_cookies")
left_ref=$(sqlite3 "$dir/reference/cookies.sqlite" "SELECT COUNT(*) FROM moz_cookies")
[ "$left_ours" = "$left_ref" ] || echo "cookies: ours left $left_ours cookies, the reference $left_ref" >&2
bench_line cookies "$ours" "$reference" 3
