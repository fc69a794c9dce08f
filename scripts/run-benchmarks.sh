#!/usr/bin/env bash
# Runs every benchmark built from bench/*.cpp in the given build folder, then
# lists each speed and memory target with what was measured. Exits non-zero
# when a benchmark fails or a target is missed or not measured.
# Log size: MARROWLIGHT_BENCH_MB (default 256); pass --large for 1024 MiB.
set -euo pipefail

build="${1:-build}"
if [ "${2:-}" = "--large" ]; then
  export MARROWLIGHT_BENCH_MB=1024
else
  export MARROWLIGHT_BENCH_MB="${MARROWLIGHT_BENCH_MB:-256}"
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
results="$(mktemp -d)"
trap 'rm -rf "$results"' EXIT

status=0
for source in "$root"/bench/*.cpp; do
  name="$(basename "$source" .cpp)"
  if [ -x "$build/$name" ]; then
    echo "== $name (log size ${MARROWLIGHT_BENCH_MB} MiB)"
    "$build/$name" --benchmark_out="$results/$name.json" --benchmark_out_format=json || status=1
  else
    echo "== $name: not built in $build (configure with -DMARROWLIGHT_BENCHMARKS=ON)" >&2
    status=1
  fi
done

# A counter of one benchmark from its JSON report, empty when it did not run.
counter() {
  local file="$results/$1.json"
  [ -f "$file" ] || return 0
  awk -v bench="\"$2" -v key="\"$3\":" '
    $1 == "\"name\":" { inside = index($2, bench) == 1 }
    inside && $1 == key { sub(/,$/, "", $2); print $2; exit }' "$file"
}

# One row: what, the benchmark, its counter, the limit (written here only).
missed=0
target() {
  local value
  value="$(counter "$2" "$3" "$4")"
  if [ -z "$value" ]; then
    printf '%-58s %10s %8s %7s  %s\n' "$1" "-" "$5" "-" "not run"
    missed=1
    return
  fi
  if ! awk -v what="$1" -v v="$value" -v limit="$5" 'BEGIN {
    met = v <= limit
    printf "%-58s %10.3f %8s %7.2f  %s\n", what, v, limit, v / limit, (met ? "met" : "MISSED")
    exit !met }'; then
    missed=1
  fi
}

echo
echo "== Targets (ratio: measured / limit; bulk loads are in multiples of a memchr pass of the same run)"
printf '%-58s %10s %8s %7s\n' "target" "measured" "limit" "ratio"
target "first rows after the window shows (ms)" LiveViewBench BM_LoadInTheWindow/0 show_to_rows_ms 100
target "first rows after the pass starts (ms)" LiveViewBench BM_PassToFirstRows first_rows_ms 100
target "longest event-loop gap while loading (ms)" LiveViewBench BM_LoadInTheWindow/0 max_gap_ms 50
target "bulk load, All Entries (x memchr)" BulkLoadBench BM_BulkLoadAllEntries/ x_memchr_cpu 1.5
target "bulk load in slices, All Entries (x memchr)" BulkLoadBench BM_BulkLoadInSlicesAllEntries x_memchr_cpu 1.5
target "bulk load, keyword filters (x memchr)" BulkLoadBench BM_BulkLoadGroupFilters/ x_memchr_cpu 2.5
target "bulk load in slices, keyword filters (x memchr)" BulkLoadBench BM_BulkLoadInSlicesGroupFilters x_memchr_cpu 2.5
target "bulk load, three regex groups (x memchr)" BulkLoadBench BM_BulkLoadRegexGroups x_memchr_cpu 3
target "page and paint wrapped, 10 MiB line (x unwrapped)" DrawingBench BM_WrappedAgainstUnwrapped/0 x_unwrapped 1.5
target "page and paint wrapped, 10M rows (x unwrapped)" DrawingBench BM_WrappedAgainstUnwrapped/1 x_unwrapped 1.5
# "Costs no more" than the plain row: 1.2 leaves room for the noise of two
# paints measured in turn.
target "paint a 1 MiB row of colour sequences (x plain row)" DrawingBench BM_SequencesAgainstPlain/0 x_plain 1.2
target "paint it scrolled to its middle (x plain row)" DrawingBench BM_SequencesAgainstPlain/1 x_plain 1.2
target "write -> row, median (ms)" LiveViewBench BM_WriteToRow/ median_ms 5
target "write -> row, 95th percentile (ms)" LiveViewBench BM_WriteToRow/ p95_ms 20
target "CPU following 10 lines a second (% of a core)" LiveViewBench BM_WriteToRow/ program_cpu_pct 1
# Loading a compressed log costs at most 1.3 times the pipeline's CPU. The
# wall-clock ratio (x_cat_wc) stays in the report for information only: on
# two cores the pipeline's two processes run side by side.
target "gzip log loaded, CPU (x zcat | wc -l)" ArchiveLoadBench BM_LoadArchive/0 x_cat_wc_cpu 1.3
target "xz log loaded, CPU (x xzcat | wc -l)" ArchiveLoadBench BM_LoadArchive/1 x_cat_wc_cpu 1.3
target "zstd log loaded, CPU (x zstdcat | wc -l)" ArchiveLoadBench BM_LoadArchive/2 x_cat_wc_cpu 1.3
for format in 0:gzip 1:xz 2:zstd; do
  target "first rows of a ${format#*:} log (ms)" ArchiveLoadBench "BM_LoadArchive/${format%%:*}" first_rows_ms 100
  target "longest event-loop gap unpacking ${format#*:} (ms)" ArchiveLoadBench "BM_LoadArchive/${format%%:*}" max_gap_ms 50
done
target "heap bytes per bulk-loaded line" IndexMemoryBench BM_IndexMemoryAllEntries heap_B_per_line 4
for logs in 200 2000; do
  target "longest event-loop gap opening $logs logs (ms)" ManyLogsBench "BM_ManyLogs/$logs/" open_max_gap_ms 100
  target "longest event-loop gap, a line to each of $logs logs (ms)" ManyLogsBench "BM_ManyLogs/$logs/" burst_max_gap_ms 100
  target "CPU idle with $logs logs open (% of a core)" ManyLogsBench "BM_ManyLogs/$logs/" idle_cpu_pct 1
  target "resident bytes per open idle log, $logs logs" ManyLogsBench "BM_ManyLogs/$logs/" resident_B_per_log 100000
done
target "filter pass, plain text (x memchr)" FilterBench BM_FilterPassPlain x_memchr_cpu 1.5
target "filter pass, ERR[0-9]+ (x memchr)" FilterBench BM_FilterPassExpression x_memchr_cpu 4
target "filter results, bytes per matching row" FilterBench BM_FilterPassCommonWord result_B_per_row 8
target "longest event-loop gap while filtering (ms)" FilterBench BM_FilterGapInTheWindow max_gap_ms 50
target "following with the filter pane open (ms a line)" FilterBench BM_FilterFollowing pane_ms_per_line 0.05
target "journal: load 1 M entries (x journalctl | wc -l, CPU)" JournalBench BM_JournalLoad x_journalctl_cpu 1.2
target "journal: longest slice while loading (ms)" JournalBench BM_JournalLoad max_slice_ms 50
target "journal: resident bytes per entry" JournalBench BM_JournalLoad rss_B_per_entry 16
target "journal: entry -> row, median (ms)" JournalBench BM_JournalEntryToRow median_ms 50
echo "Not here: start to loaded (CPU, limit 2.5 x wc -l) and the whole program's peak memory"
echo "(limit 100 MiB for 1 GiB) are measured end to end on $build/marrowlight started with a log."
if [ "$missed" != 0 ]; then
  echo "A target was missed or not measured." >&2
  status=1
fi
exit $status
