# Piece of scripts/bench.sh. memory: the peak resident size of an automatic run with History,
# Typed URLs, Forms, Cookies (100 hosts kept, 20 randomized) and Compact Files Yes on a heavy
# profile (100 000 places, 500 000 visits, 20 000 cookies on 3 000 hosts, 10 000 form entries),
# against BleachBit cleaning the same four Firefox areas of a copy of the same profile.
#
# Ours is what /usr/bin/time -v reports around the Wine start: the largest resident size of
# the processes it waited for, which is the process running Quorvane.exe (wine execs into it).
# The Wine server is started beforehand and kept (wineserver -p), so it is not among them.
dir=$bench_data/memory
wine "$build/bin/fixtures/qvfixture.exe" install >/dev/null
made=$(wine "$build/bin/fixtures/qvfixture.exe" profile places 100000 visits 5 cookies 20000 \
         cookiehosts 3000 forms 10000 | tr -d '\r')
profile=$(winepath -u "${made#profile }")
files=(places.sqlite favicons.sqlite formhistory.sqlite cookies.sqlite)
mkdir -p "$dir/original"
for f in "${files[@]}"; do cp "$profile/$f" "$dir/original/"; done
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
ini_dir=$(winepath -u "$appdata\\Quorvane" 2>/dev/null)
mkdir -p "$ini_dir"
printf '[PnowOptions]\r\nHistoryOption=1\r\nFFtypedURLs=1\r\nFormsOption=1\r\nCookiesOption=1\r\nCompactSqlOption=1\r\nReportOpt=0\r\nSplashOpt=1\r\nMainWinOpt=3\r\n' \
  > "$ini_dir/Quorvane.ini"
mapfile -t hosts < <(sqlite3 "$dir/original/cookies.sqlite" \
  "SELECT host FROM moz_cookies GROUP BY host ORDER BY host LIMIT 120")
{
  for h in "${hosts[@]:0:100}"; do printf 'p=%s\r\n' "$h"; done
  for h in "${hosts[@]:100:20}"; do printf 'r=%s\r\n' "$h"; done
} > "$ini_dir/Quorvane.Dat"

# BleachBit finds Firefox's profiles through ~/.mozilla/firefox/profiles.ini: a private home.
bb_home=$dir/home
bb_profile=$bb_home/.mozilla/firefox/bench.default
mkdir -p "$bb_profile"
printf '[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\nIsRelative=1\nPath=bench.default\nDefault=1\n' \
  > "$bb_home/.mozilla/firefox/profiles.ini"

# peak_kb COMMAND...: the maximum resident set size /usr/bin/time reports, in KB. The report
# goes through a file: Wine's own services, started by the server, would hold a pipe open.
peak_kb() {
  /usr/bin/time -v -o "$dir/time.txt" "$@" >/dev/null 2>&1 || true
  awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$dir/time.txt"
}
memory_ours() {
  for f in "${files[@]}"; do cp "$dir/original/$f" "$profile/"; done
  peak_kb wine "$build/bin/Quorvane.exe" AUTO | awk '{ printf "%.1f\n", $1 / 1024 }'
}
memory_reference() {
  for f in "${files[@]}"; do cp "$dir/original/$f" "$bb_profile/"; done
  HOME=$bb_home XDG_CONFIG_HOME=$bb_home/.config XDG_CACHE_HOME=$bb_home/.cache \
    peak_kb bleachbit --clean firefox.url_history firefox.cookies firefox.forms firefox.vacuum |
    awk '{ printf "%.1f\n", $1 / 1024 }'
}
wineserver -k 2>/dev/null || true  # a server of our own, kept between the runs
wineserver -p
wine cmd /c exit >/dev/null 2>&1  # the prefix's services are up before the first run
ours=$(repeated memory_ours)
reference=$(repeated memory_reference)
wineserver -k
left=$(sqlite3 "$profile/places.sqlite" "SELECT COUNT(*) FROM moz_historyvisits")
[ "$left" -eq 0 ] || echo "memory: $left visits were left in places.sqlite" >&2
bench_line memory "$ours" "$reference" 1.0 MB

# memory (report): the peak resident size of an automatic Purge Now of "Temp Folders" on 50 000
# files with a Detail report, against the same run with a Summary report: what holding and
# listing 50 000 report lines costs. The main window shows after the run (the list is made and
# painted) and is closed once it is up.
temp_dir=$(winepath -u "$(wine cmd /c echo %TMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
make_temp_tree "$dir/tree"
# report_peak REPORTOPT: the peak in MB of one run with that report (0 Detail, 1 Summary).
report_peak() {
  printf '[PnowOptions]\r\nTempOption=1\r\nReportOpt=%s\r\nSplashOpt=1\r\nMainWinOpt=0\r\n[TempFolders]\r\nTmpDir=1\r\nAgeTemp=0\r\n' \
    "$1" > "$ini_dir/Quorvane.ini"
  rm -rf "${temp_dir:?}"/*
  cp -a "$dir/tree"/. "$temp_dir"/
  sync
  # The window is looked for a minute at a time until it has been closed.
  local shot
  shot=$(winepath -w "$dir/window.bmp")
  ( until wine "$build/bin/fixtures/qvfixture.exe" snap "$shot" close; do :; done ) \
    >/dev/null 2>&1 &
  local closer=$!
  peak_kb wine "$build/bin/Quorvane.exe" AUTO | awk '{ printf "%.1f\n", $1 / 1024 }'
  wait "$closer"
  local left
  left=$(find "$temp_dir" -type f | wc -l)
  [ "$left" -eq 0 ] || echo "memory (report): $left files were left in the temp folder" >&2
}
wineserver -p
wine cmd /c exit >/dev/null 2>&1
detail=$(repeated report_peak 0)
summary=$(repeated report_peak 1)
wineserver -k
bench_line "memory (report)" "$detail" "$summary" 1.15 MB
