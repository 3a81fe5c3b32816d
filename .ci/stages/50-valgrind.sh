#!/usr/bin/env bash
# Memcheck over the unit tests and the thread tests: no invalid access, no use
# of uninitialised memory, no leak. They run on a build of their own without the
# value pool (-DKIVJSON_POOL_ALLOCATOR=OFF), so that every value is a block of
# its own and memcheck sees each use after free and each leaked value. The
# allocation-failure program is not run here: memcheck puts its own operator new
# in place of the program's, so no failure would be injected (LeakSanitizer
# covers it in the sanitize build). Its allocation-form test (PoolForms) runs
# here, against both static copies of the library, so memcheck also sees the
# pool's own paths.
#
# Left out, only because memcheck runs them 30 to 50 times slower: the
# million-level deep trees and the benchmark-document sweeps; both run natively
# and under ASan in the earlier stages.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KIVJSON_VALGRIND_BUILD_DIR:-build/memcheck}
if ! command -v valgrind >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && apt-get install -y -qq valgrind
  else
    echo "valgrind missing" >&2
    exit 1
  fi
fi
log=$(mktemp)
targets=(kivJSONTests kivJSONConcurrencyTests kivJSONAllocFailureTests0 kivJSONAllocFailureTests1)
for target in ParseString ParseStream ParseWide RoundTrip; do
  targets+=("kivjson_replay_$target")
done
if ! { cmake --preset release -B "$build" -DKIVJSON_POOL_ALLOCATOR=OFF \
         -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_TOOLS=OFF &&
       cmake --build "$build" --target "${targets[@]}"; } >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  exit 1
fi
rm -f "$log"

# glibc's AVX2 wmemcmp loads whole 32-byte vectors that may reach past the end
# of a block (never past its page); memcheck reports those loads.
supp=$(mktemp)
trap 'rm -f "$supp"' EXIT
for size in 32 16 8 4; do
  printf '{\n  glibc-wmemcmp-vector-load-%s\n  Memcheck:Addr%s\n  fun:__wmemcmp_avx2_movbe\n}\n' "$size" "$size"
done >"$supp"

memcheck() {
  echo "--- $*"
  valgrind --quiet --error-exitcode=1 --suppressions="$supp" --leak-check=full \
    --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect "$@"
}
memcheck "$build/Tests/kivJSONTests" --gtest_brief=1 --gtest_filter='-*DeepTree*:*EveryPrefixAtAStride*'
memcheck "$build/Tests/reliability/kivJSONConcurrencyTests" --gtest_brief=1
for pool in 0 1; do
  memcheck "$build/Tests/reliability/kivJSONAllocFailureTests$pool" --gtest_brief=1 \
    --gtest_filter='PoolForms*'
done
# The fuzz targets over the stored crashers and the seeds that ctest generated
# in the release build, if it ran.
seeds=${KIVJSON_VALGRIND_SEEDS:-build/release/Tests/reliability/fuzz-seeds}
for target in ParseString ParseStream ParseWide RoundTrip; do
  inputs=("Fuzz/regressions/$target")
  if [ -d "$seeds" ]; then
    inputs+=("$seeds/$([ "$target" = ParseWide ] && echo wide || echo narrow)")
  fi
  memcheck "$build/Tests/reliability/kivjson_replay_$target" "${inputs[@]}"
done
