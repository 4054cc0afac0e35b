# Piece of scripts/bench.sh. winapp2: the whole shared Winapp2.ini in the data folder, 200 of
# its entries made present in the prefix (each one's first DetectFile path or Detect key,
# chosen evenly through the file by tools/winapp2_bench.cpp, their FileKey folders filled).
# Line 1: loading and detecting every entry (the whole winapp2_bench process, as the window
# does it) against tools/winapp2_probe.cpp, which only asks the registry and the file system
# the same detection probes, from a list made beforehand. Line 2: a Preview of the 200 ticked
# entries with a Detail report (the box's run, which loads and detects first) against Wine's
# own cmd /c dir /s /b of their filled folders (dir /b of those no key walks down: a key may
# name a profile or the Windows folder for a few files). Both sides pay Wine's start. A third line gives
# the peak resident size with the file loaded (/usr/bin/time -v around the Wine start; the
# Wine server is kept running beforehand, so it is not counted).
dir=$bench_data/winapp2
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
data_win="$appdata\\Quorvane"
data=$(winepath -u "$data_win" 2>/dev/null)
mkdir -p "$data"
cp "$root/tests/winapp2/data/Winapp2.ini" "$data/Winapp2.ini"
probes_win=$(winepath -w "$dir/probes.txt")
dir_cmd_win=$(winepath -w "$dir/folders.cmd")
wine "$build/bin/winapp2_bench.exe" setup "$data_win" "$probes_win" "$dir_cmd_win" 2>&1 |
  tr -d '\r' | sed 's/^/  /' >&2
wineserver -p >/dev/null 2>&1 || true
wine "$build/bin/winapp2_bench.exe" detect "$data_win" 2>&1 | tr -d '\r' | sed 's/^/  /' >&2
wine "$build/bin/winapp2_probe.exe" "$probes_win" 2>&1 | tr -d '\r' | sed 's/^/  /' >&2
winapp2_detect() { seconds_of wine "$build/bin/winapp2_bench.exe" detect "$data_win"; }
winapp2_probe() { seconds_of wine "$build/bin/winapp2_probe.exe" "$probes_win"; }
winapp2_preview() { seconds_of wine "$build/bin/winapp2_bench.exe" preview "$data_win"; }
winapp2_dir() { seconds_of wine cmd /c "$dir_cmd_win"; }
bench_line "winapp2 detect" "$(repeated winapp2_detect)" "$(repeated winapp2_probe)" 1.5
wine "$build/bin/winapp2_bench.exe" preview "$data_win" 2>&1 | tr -d '\r' | sed 's/^/  /' >&2
echo "  cmd /c dir lists $(wine cmd /c "$dir_cmd_win" 2>/dev/null | wc -l) paths" >&2
bench_line "winapp2 preview" "$(repeated winapp2_preview)" "$(repeated winapp2_dir)" 1.5
winapp2_peak() {
  /usr/bin/time -v -o "$dir/time.txt" "$@" >/dev/null 2>&1 || true
  awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); printf "%.1f\n", $2 / 1024 }' "$dir/time.txt"
}
echo "winapp2 memory: peak resident $(winapp2_peak wine "$build/bin/winapp2_bench.exe" detect "$data_win") MiB with the file loaded and detected, $(winapp2_peak wine "$build/bin/winapp2_probe.exe" "$probes_win") MiB for the probes alone"
