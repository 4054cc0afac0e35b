# Piece of scripts/bench.sh. strays: one "I.E. Strays" kind in a Preview with a Detail report
# on a content folder of 50 000 files in 50 folders with 40 000 index entries (10 000 strays),
# against listing the same folder natively (find). A second line checks the scaling: twice
# the files and entries may take at most 2.2 times as long.
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
ours=$(wine "$build/bin/strays_bench.exe" "$(winepath -w "$dir/single")" 50 1000 40000 2>/dev/null | tr -d '\r')
reference=$(seconds_of find "$dir/single" -type f)
bench_line strays "$ours" "$reference" 5
double=$(wine "$build/bin/strays_bench.exe" "$(winepath -w "$dir/double")" 50 2000 80000 2>/dev/null | tr -d '\r')
awk -v o="$ours" -v d="$double" \
  'BEGIN { printf "strays scaling: 50k files %.3f s, 100k files %.3f s, ratio %.2f (goal <= 2.2)\n", o, d, (o > 0 ? d / o : 0) }'
