#!/usr/bin/env bash
# Memcheck over the unit tests and the reliability programs of the release
# build (made by the README workflow step): no invalid access, no use of
# uninitialised memory, no leak.
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

memcheck() {
  echo "--- $*"
  valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --show-leak-kinds=definite,indirect "$@"
}
memcheck "$build/Tests/kivJSONTests" --gtest_brief=1 --gtest_filter='-*DeepTree*:*EveryPrefixAtAStride*'
memcheck "$build/Tests/reliability/kivJSONAllocFailureTests" --gtest_brief=1
memcheck "$build/Tests/reliability/kivJSONConcurrencyTests" --gtest_brief=1
