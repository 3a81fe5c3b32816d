#!/bin/bash
# Builds kivjson and runs each of its commands on examples/sample.json.
# Usage: examples/demo.sh              configures build/demo (preset "demo": Ninja,
#                                      Release, no tests, so no GoogleTest) if needed
#        examples/demo.sh BUILD_DIR    any build folder; configured like build/demo if new
#        examples/demo.sh --no-build BUILD_DIR
set -euo pipefail
build=yes
if [ "${1:-}" = --no-build ]; then
    build=no
    shift
fi
BUILD_DIR=$(realpath -m "${1:-$(dirname "$0")/../build/demo}")
cd "$(dirname "$0")/.."
if [ $build = yes ]; then
    # A folder configured before keeps its own generator and options.
    [ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake --preset demo -B "$BUILD_DIR"
    cmake --build "$BUILD_DIR" --target kivjson
fi
KIVJSON=$BUILD_DIR/Tools/kivjson/kivjson

run() {
    echo "\$ kivjson $*"
    "$KIVJSON" "$@"
    echo
}

run check -v examples/sample.json
run stats examples/sample.json
run get /customer/name examples/sample.json
run get --raw /customer/note examples/sample.json
run get /items/1/tags examples/sample.json
run pretty --indent 2 examples/sample.json
run minify examples/sample.json

echo '$ printf '"'"'{"a": [1, 2,]}'"'"' | kivjson check -'
if printf '{"a": [1, 2,]}' | "$KIVJSON" check -; then
    echo "an invalid document passed the check" >&2
    exit 1
fi
