#!/usr/bin/env bash
# Runs the benchmarks, all of them or the ones named (bash scripts/bench.sh shred). Each prints
# one line: "NAME: ours X s, reference Y s, ratio R (goal <= G)", both figures measured in this
# run on data the benchmark makes. Exits 0 whatever the figures; they are for reading.
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
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

# bench_line NAME OURS REFERENCE GOAL: the one line a benchmark prints.
bench_line() {
  awk -v n="$1" -v o="$2" -v r="$3" -v g="$4" \
    'BEGIN { printf "%s: ours %.3f s, reference %.3f s, ratio %.2f (goal <= %s)\n", n, o, r, (r > 0 ? o / r : 0), g }'
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
