# Piece of scripts/bench.sh. chromium: "Chromium History", "Chromium Cookies" (100 hosts kept,
# 20 randomized), "Chromium Forms" and "Chromium Cache" on a heavy profile grown from the real
# one Debian's chromium writes for the tests (100 000 urls, 500 000 visits, 20 000 cookies of
# 3 000 hosts, 10 000 autofill rows, 20 000 cache files), ours under Wine at Chromium's Windows
# place, against Debian's BleachBit ("bleachbit --clean chromium.history chromium.cookies
# chromium.form_history chromium.cache") run natively on a copy at the Linux places. What each
# side does differs: BleachBit deletes whole files (Cookies, the cache) and keeps no cookie (its
# form_history cleaner stops at a table today's Web Data lacks); ours deletes rows in one
# transaction each, keeps and randomizes cookies by the keep list, reports per host and per
# cache file, and leaves the databases in place.
dir=$bench_data/chromium
bash "$root/tests/chromium/make_fixture.sh" "$build" >/dev/null
python3 "$root/tools/chromium_heavy_profile.py" "$build/chromium_fixture/user-data" "$dir/profile"
mapfile -t hosts < <(sqlite3 "$dir/profile/Cookies" \
  "SELECT host_key FROM cookies GROUP BY host_key ORDER BY host_key LIMIT 120")
mkdir -p "$dir/keep"
{
  for h in "${hosts[@]:0:100}"; do printf 'p=%s\r\n' "$h"; done
  for h in "${hosts[@]:100:20}"; do printf 'r=%s\r\n' "$h"; done
} > "$dir/keep/Quorvane.Dat"
# Ours: the profile where Chromium keeps it on Windows, cookies in the Network folder; each
# run on a fresh copy.
local_dir=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')")
ours_profile="$local_dir/Chromium/User Data/Default"
chromium_ours() {
  rm -rf "$local_dir/Chromium"; mkdir -p "$ours_profile/Network"
  cp -r "$dir/profile/." "$ours_profile/"
  mv "$ours_profile/Cookies" "$ours_profile/Network/Cookies"
  wineserver -w
  wine "$build/bin/chromium_bench.exe" "$(winepath -w "$dir/keep")" 2>"$dir/ours.log" | tr -d '\r'
  local left
  left=$(sqlite3 "$ours_profile/Network/Cookies" "SELECT COUNT(DISTINCT host_key) FROM cookies")
  [ "$left" = 120 ] || echo "chromium: ours left cookies of $left hosts, not 120" >&2
}
# BleachBit's: ~/.config/chromium with the cache under ~/.cache/chromium, a fresh copy a run.
home=$dir/home
bleachbit_reference() {
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache \
    bleachbit --clean chromium.history chromium.cookies chromium.form_history chromium.cache
}
chromium_reference() {
  rm -rf "$home"; mkdir -p "$home/.config/chromium" "$home/.cache/chromium/Default"
  cp -r "$dir/profile" "$home/.config/chromium/Default"
  mv "$home/.config/chromium/Default/Cache" "$home/.cache/chromium/Default/Cache"
  seconds_of bleachbit_reference
}
# The platform's share, for reading: a program that only lists the 20 000 cache files and
# calls DeleteFileA on each (tools/delete_only.cpp), against the same BleachBit runs. Every
# file removed under Wine costs trips to the Wine server, about 140 microseconds a file here.
cache_floor() {
  rm -rf "$local_dir/qv-cache-copy"; cp -r "$dir/profile/Cache" "$local_dir/qv-cache-copy"
  wineserver -w
  seconds_of wine "$build/bin/delete_only.exe" "$(winepath -w "$local_dir/qv-cache-copy")"
}
ours=$(repeated chromium_ours)
reference=$(repeated chromium_reference)
floor=$(repeated cache_floor)
rm -rf "$local_dir/Chromium" "$local_dir/qv-cache-copy" "$home"
bench_line chromium "$ours" "$reference" 1.0
bench_line "chromium (DeleteFileA of the cache files alone)" "$floor" "$reference" 1.0
