#!/usr/bin/env bash
# Runs the benchmarks, all of them or the ones named (bash scripts/bench.sh shred). Each prints
# "NAME: ours X s (min A, max B), reference Y s (min C, max D), ratio R (goal <= G)": both sides
# measured in this run on data the benchmark makes, each the median of QV_BENCH_RUNS runs
# (3 unless set; other work on the machine makes single runs too noisy to read), the ratio
# that of the medians. Exits 0 whatever the figures; they are for reading.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
"$root/scripts/setup.sh"
configure_and_build
ensure_display
fresh_prefix bench
bench_data=$build/bench-data
rm -rf "$bench_data"; mkdir -p "$bench_data"

# seconds_of COMMAND...: wall-clock seconds the command took (its output discarded).
seconds_of() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}

runs=${QV_BENCH_RUNS:-3}
[ "$runs" -ge 3 ] 2>/dev/null || runs=3

# repeated COMMAND...: runs the command $runs times, each printing one figure (its last line
# counts); prints "MEDIAN MIN MAX" of the figures.
repeated() {
  local i
  for i in $(seq "$runs"); do "$@" | tail -n 1; done | repeated_figures
}

# repeated_figures: "MEDIAN MIN MAX" of the figures read, one a line.
repeated_figures() {
  sort -g | awk '{ v[NR] = $1 } END { printf "%.3f %.3f %.3f\n", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

# bench_line NAME "OURS-MEDIAN MIN MAX" "REFERENCE-MEDIAN MIN MAX" GOAL [UNIT]: the line a
# benchmark prints, the ratio that of the medians.
bench_line() {
  awk -v n="$1" -v o="$2" -v r="$3" -v g="$4" -v u="${5:-s}" 'BEGIN {
    split(o, a, " "); split(r, b, " ")
    printf "%s: ours %.3f %s (min %.3f, max %.3f), reference %.3f %s (min %.3f, max %.3f), ratio %.2f (goal <= %s)\n",
      n, a[1], u, a[2], a[3], b[1], u, b[2], b[3], (b[1] > 0 ? a[1] / b[1] : 0), g }'
}

# make_temp_tree DIR: a user's temp folder as the temp benchmarks fill it: 50 000 files of
# 512 bytes in 500 folders.
make_temp_tree() {
  python3 - "$1" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(500):
    folder = os.path.join(root, "cache%03d" % d, "part")
    os.makedirs(folder)
    for f in range(100):
        with open(os.path.join(folder, "tmp%05d.dat" % (d * 100 + f)), "wb") as out:
            out.write(b"x" * 512)
PY
}

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$root"/scripts/bench/*.sh; do names+=("$(basename "$f" .sh)"); done
fi
for name in "${names[@]}"; do
  [ -f "$root/scripts/bench/$name.sh" ] || { echo "no benchmark named $name" >&2; exit 2; }
  # Each benchmark is a piece of this script: it prepares its data under $bench_data/NAME,
  # measures, and calls bench_line.
  mkdir -p "$bench_data/$name"
  ( source "$root/scripts/bench/$name.sh" )
done
wineserver -w
