# shred: a Quick shred of a 256 MiB file against a plain sequential overwrite of the same file
# with one flush. Both are timed inside one Wine process (shred_bench, QueryPerformanceCounter),
# best of two rounds each. Sourced by scripts/bench.sh.
file=$bench_data/shred/big.dat
winfile=$(winepath -w "$file" 2>/dev/null)
figures=$(wine "$build/bin/shred_bench.exe" "$winfile" 256 2>/dev/null | tr -d '\r') || true
rm -f "$file"
read -r ours reference <<<"$figures" || true
if [ -z "${reference:-}" ]; then
  echo "shred: shred_bench failed" >&2
  exit 1
fi
bench_line shred "$ours" "$reference" 1.5
