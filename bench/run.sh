#!/usr/bin/env bash
# Runs the benchmark suite on a shared, noisy machine and prints one table of ratios.
# Each benchmark runs in its own process, pinned to one CPU, with repetitions; the JSON results
# go to BUILD/bench-results, and stats_bench_report turns them into the table.
#
# Usage: bench/run.sh [BUILD_DIR]   (default build-bench)
# Environment: BENCH_REPETITIONS (default 10), BENCH_MIN_TIME in seconds (default 0.2),
#              BENCH_CPU (default: the last CPU), BENCH_FILTER (an extended regex over the
#              benchmark names; default all), BENCH_DEPTH_CAP (default 1000000).
set -euo pipefail

build=${1:-build-bench}
bin=$build/bench
results=$build/bench-results
repetitions=${BENCH_REPETITIONS:-10}
min_time=${BENCH_MIN_TIME:-0.2}
cpu=${BENCH_CPU:-$(($(nproc) - 1))}
filter=${BENCH_FILTER:-.}
depth_cap=${BENCH_DEPTH_CAP:-1000000}

for program in stats_bench stats_depth_probe stats_bench_report; do
  if [ ! -x "$bin/$program" ]; then
    echo "run.sh: $bin/$program is missing; build with -DSTATS_PROVIDER_BENCH=ON first" >&2
    exit 1
  fi
done

pin=()
if command -v taskset >/dev/null; then
  pin=(taskset -c "$cpu")
else
  echo "run.sh: taskset not found; running unpinned" >&2
fi

rm -rf "$results"
mkdir -p "$results"

mapfile -t names < <("$bin/stats_bench" --benchmark_list_tests | grep -E -- "$filter")
total=${#names[@]}
echo "bench: $total benchmarks, $repetitions repetitions of at least ${min_time}s each, CPU $cpu" >&2
i=0
for name in "${names[@]}"; do
  i=$((i + 1))
  printf 'bench: [%d/%d] %s\n' "$i" "$total" "$name" >&2
  "${pin[@]}" "$bin/stats_bench" --benchmark_filter="^${name}\$" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_min_time="$min_time" \
    --benchmark_out="$results/$(printf '%02d' "$i")-${name//\//_}.json" \
    --benchmark_out_format=json >/dev/null
done

echo "bench: depth probe (each depth in a child process)" >&2
"${pin[@]}" "$bin/stats_depth_probe" "$depth_cap" >"$results/depth.json"

echo
"$bin/stats_bench_report" "$results"
