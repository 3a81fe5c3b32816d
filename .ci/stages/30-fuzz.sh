#!/usr/bin/env bash
# Fuzzes every libFuzzer target for a bounded time (two at a time, one per
# core) under ASan+UBSan. Any crash, leak, timeout, memory blow-up or broken
# invariant fails the stage; the input that did it is printed in hex so it can
# be stored under Fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${KIVJSON_FUZZ_SECONDS:-60}
build=${KIVJSON_FUZZ_BUILD_DIR:-build/fuzz}
data=${KIVJSON_DATA_DIR:-../shared/data}

if ! compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && apt-get install -y -qq libclang-rt-14-dev
  else
    echo "libFuzzer runtime missing: install libclang-rt-14-dev" >&2
    exit 1
  fi
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKIVJSON_SANITIZE=address,undefined -DKIVJSON_BUILD_FUZZERS=ON -DKIVJSON_BUILD_TESTS=OFF \
  -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target kivjson_fuzzers

work="$build/fuzz-run"
rm -rf "$work" && mkdir -p "$work"
python3 Fuzz/make-seeds.py "$work/seeds" "$data"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

fuzz() {
  local target=$1 seeds=$2 dict=$3
  mkdir -p "$work/corpus-$target"
  "$build/Fuzz/kivjson_fuzz_$target" "$work/corpus-$target" "$seeds" Fuzz/regressions/$target \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=16384 -dict="$dict" \
    -artifact_prefix="$work/$target-" -print_final_stats=1 >"$work/$target.log" 2>&1
}

report() {
  local target=$1 status=$2
  if [ "$status" != 0 ]; then
    echo "FAIL: $target (exit $status)"
    grep -v '^#' "$work/$target.log" | tail -n 60
    for artifact in "$work/$target"-*; do
      [ -e "$artifact" ] || continue
      echo "input $(basename "$artifact") ($(stat -c %s "$artifact") bytes):"
      od -A d -t x1 -v "$artifact" | head -n 40
    done
    return 1
  fi
  printf '%-12s %s executions in %ss, %s\n' "$target" \
    "$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")" "$seconds" \
    "$(grep -o 'cov: [0-9]*' "$work/$target.log" | tail -n 1)"
}

failed=0
run_pair() {
  local a=$1 b=$2 sa=0 sb=0
  fuzz "$a" "$work/seeds/$3" "$4" & local pa=$!
  fuzz "$b" "$work/seeds/$5" "$6" & local pb=$!
  wait "$pa" || sa=$?
  wait "$pb" || sb=$?
  report "$a" "$sa" || failed=1
  report "$b" "$sb" || failed=1
}
run_pair ParseString ParseWide narrow Fuzz/json.dict wide "$work/seeds/wide.dict"
run_pair ParseStream RoundTrip narrow Fuzz/json.dict narrow Fuzz/json.dict
exit "$failed"
