#!/bin/bash
# Builds kivjson and runs each of its commands on examples/sample.json.
# Usage: examples/demo.sh BUILD_DIR   (configures BUILD_DIR in Release if needed)
#        examples/demo.sh --no-build BUILD_DIR
set -euo pipefail
build=yes
if [ "${1:-}" = --no-build ]; then
    build=no
    shift
fi
BUILD_DIR=$(realpath -m "${1:?usage: demo.sh [--no-build] BUILD_DIR}")
cd "$(dirname "$0")/.."
if [ $build = yes ]; then
    [ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release
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
