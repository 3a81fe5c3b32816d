#!/usr/bin/env bash
# Memcheck over the unit tests and the thread tests of the release build (made
# by the README workflow step): no invalid access, no use of uninitialised
# memory, no leak. The allocation-failure program is not run here: memcheck
# puts its own operator new in place of the program's, so no failure would be
# injected (LeakSanitizer covers it in the sanitize build).
#
# Left out, only because memcheck runs them 30 to 50 times slower: the
# million-level deep trees and the benchmark-document sweeps; both run natively
# and under ASan in the earlier stages.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KIVJSON_VALGRIND_BUILD_DIR:-build/release}
if ! command -v valgrind >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get update -qq && apt-get install -y -qq valgrind
  else
    echo "valgrind missing" >&2
    exit 1
  fi
fi
[ -x "$build/Tests/kivJSONTests" ] || cmake --build --preset release

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
# The fuzz targets over the stored crashers and the seeds that ctest generated.
seeds="$build/Tests/reliability/fuzz-seeds"
for target in ParseString ParseStream ParseWide RoundTrip; do
  inputs=("Fuzz/regressions/$target")
  if [ -d "$seeds" ]; then
    inputs+=("$seeds/$([ "$target" = ParseWide ] && echo wide || echo narrow)")
  fi
  memcheck "$build/Tests/reliability/kivjson_replay_$target" "${inputs[@]}"
done
