# shred: a Quick shred of a 256 MiB file against a plain sequential overwrite of the same file
# with one flush, then its deletion. Both are timed inside one Wine process (shred_bench,
# QueryPerformanceCounter), best of two rounds each; shred_bench runs $runs times, and the
# ratio of each run is listed too, as the goal must hold in every one. Sourced by scripts/bench.sh.
file=$bench_data/shred/big.dat
winfile=$(winepath -w "$file" 2>/dev/null)
: >"$bench_data/shred/runs.txt"
for _ in $(seq "$runs"); do
  figures=$(wine "$build/bin/shred_bench.exe" "$winfile" 256 2>/dev/null | tr -d '\r') || true
  rm -f "$file"
  read -r o r <<<"$figures" || true
  if [ -z "${r:-}" ]; then
    echo "shred: shred_bench failed" >&2
    exit 1
  fi
  echo "$o $r" >>"$bench_data/shred/runs.txt"
done
column_stats() { cut -d ' ' -f "$1" "$bench_data/shred/runs.txt" | repeated_figures; }
bench_line shred "$(column_stats 1)" "$(column_stats 2)" 1.5
awk '{ r = r sprintf("%s%.2f", (NR > 1 ? ", " : ""), ($2 > 0 ? $1 / $2 : 0)) }
     END { print "shred ratios of the runs: " r }' "$bench_data/shred/runs.txt"
