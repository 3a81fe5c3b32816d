#!/usr/bin/env bash
# ThreadSanitizer: parallel parses and many readers of one shared tree. Only the
# thread test program is built, to keep the stage short.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KIVJSON_TSAN_BUILD_DIR:-build/tsan}
cmake --preset tsan -B "$build" -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" --target kivJSONConcurrencyTests
# Any report fails the run (exit code 66), also one found only at exit.
TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" \
  "$build/Tests/reliability/kivJSONConcurrencyTests"
