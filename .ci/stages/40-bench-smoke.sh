#!/usr/bin/env bash
# Builds the benchmark program with every peer library and runs each case once,
# briefly: it must run to the end. No timing is judged here.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KIVJSON_BENCH_BUILD_DIR:-build/bench-smoke}
Benchmarks/install-peers.sh
cmake --preset release -B "$build" -DKIVJSON_BUILD_BENCHMARKS=ON -DKIVJSON_BUILD_TESTS=OFF \
  -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target kivJSONBench
"$build/Benchmarks/kivJSONBench" --benchmark_min_time=0.001 >"$build/bench-smoke.txt"
echo "benchmark cases run: $(grep -c -E '^[A-Za-z]' "$build/bench-smoke.txt")"
# What the process keeps, without and with the pool: a small run of each.
cmake --build "$build" --target kivJSONPoolMemory0 kivJSONPoolMemory1
for pool in 0 1; do
  "$build/Benchmarks/kivJSONPoolMemory$pool" 2 2 2
done
