#!/usr/bin/env bash
# Builds the benchmark program, runs the comparative suite (5 repetitions,
# medians) and writes docs/PERFORMANCE.md and docs/performance.png.
# Repetitions are interleaved at random, so that load from other programs on
# the machine falls on every library alike instead of on whichever ran then.
#
#   Benchmarks/report.sh [build-dir]      default: build/perf
#
# Environment: KIVJSON_BENCH_REPETITIONS (5), KIVJSON_BENCH_FILTER (^Suite/),
# KIVJSON_BENCH_JSON (an existing result file: skip building and running).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/perf}
repetitions=${KIVJSON_BENCH_REPETITIONS:-5}
filter=${KIVJSON_BENCH_FILTER:-^Suite/}
results=${KIVJSON_BENCH_JSON:-}

source_args=()
if [ -z "$results" ]; then
    # Taken before building: what is measured, not what is checked out later.
    source_args=(--commit "$(git -C "$repo" describe --always --dirty 2>/dev/null || echo unknown)")
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIVJSON_BUILD_BENCHMARKS=ON
    fi
    cmake --build "$build" --target kivJSONBench -j"${KIVJSON_BUILD_JOBS:-2}"
    results=$build/suite-results.json
    "$build/Benchmarks/kivJSONBench" \
        --benchmark_filter="$filter" \
        --benchmark_repetitions="$repetitions" \
        --benchmark_enable_random_interleaving=true \
        --benchmark_report_aggregates_only=true \
        --benchmark_format=json \
        --benchmark_out_format=json \
        --benchmark_out="$results" > /dev/null
fi

python3 "$repo/Benchmarks/report.py" --results "$results" --build "$build" --docs "$repo/docs" \
    "${source_args[@]}"
