# Piece of scripts/bench.sh. strays: one "I.E. Strays" kind in a Preview with a Detail report
# on a content folder of 50 000 files in 50 folders with 40 000 index entries (10 000 strays),
# against Wine's own cmd /c dir /s /b /a-d of the same folder (listing it the way the platform
# does; Wine's start counted on both sides). A second line checks the scaling: twice the files
# and entries may take at most 2.2 times as long.
dir=$bench_data/strays
# make_folder NAME FILES-PER-FOLDER: 50 folders dNN of files fNNNNNN.htm numbered through.
make_folder() {
  python3 - "$dir/$1" 50 "$2" <<'PY'
import os, sys
root, folders, per = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(root)
open(os.path.join(root, "index.dat"), "wb").close()
for d in range(folders):
    os.makedirs(os.path.join(root, "d%02d" % d))
for i in range(folders * per):
    with open(os.path.join(root, "d%02d" % (i % folders), "f%06d.htm" % i), "wb") as out:
        out.write(b"<html></html>")
PY
}
make_folder single 1000
make_folder double 2000
sync
wine cmd /c exit >/dev/null 2>&1  # the Wine server is up before either clock starts
find "$dir/single" -type f >/dev/null  # both sides start from a warm directory cache
# strays_ours FOLDER FILES-PER-FOLDER ENTRIES: the whole strays_bench process, Wine's start
# included as the reference pays it too. strays_scan: the scan alone, timed inside, for the
# scaling, which a fixed start would flatter.
strays_ours() {
  seconds_of wine "$build/bin/strays_bench.exe" "$(winepath -w "$dir/$1")" 50 "$2" "$3"
}
strays_scan() {
  wine "$build/bin/strays_bench.exe" "$(winepath -w "$dir/$1")" 50 "$2" "$3" 2>/dev/null |
    tr -d '\r'
}
strays_dir() {
  seconds_of wine cmd /c dir /s /b /a-d "$(winepath -w "$dir/single")"
}
ours=$(repeated strays_ours single 1000 40000)
bench_line strays "$ours" "$(repeated strays_dir)" 3
single=$(repeated strays_scan single 1000 40000)
double=$(repeated strays_scan double 2000 80000)
awk -v o="$single" -v d="$double" 'BEGIN { split(o, a, " "); split(d, b, " ")
  printf "strays scaling: 50k files %.3f s (min %.3f, max %.3f), 100k files %.3f s (min %.3f, max %.3f), ratio %.2f (goal <= 2.2)\n",
    a[1], a[2], a[3], b[1], b[2], b[3], (a[1] > 0 ? b[1] / a[1] : 0) }'
