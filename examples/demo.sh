#!/bin/bash
# Builds kivjson and runs each of its commands on examples/sample.json.
# Usage: examples/demo.sh              configures and builds build/demo (preset "demo":
#                                      Ninja, Release, no tests, so no GoogleTest)
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
    # The configure step always runs (it is quick when nothing changed), so a
    # folder left behind by a failed run, e.g. one configured before Ninja was
    # installed, is repaired. A folder configured before keeps its generator and
    # options; if it cannot be configured again, it starts afresh from the preset.
    if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        cmake --preset demo -B "$BUILD_DIR"
    elif ! cmake -S . -B "$BUILD_DIR" >"$BUILD_DIR/demo-configure.log" 2>&1; then
        echo "examples/demo.sh: $BUILD_DIR could not be configured again; starting afresh"
        cmake --preset demo -B "$BUILD_DIR" --fresh
    fi
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
status=0
printf '{"a": [1, 2,]}' | "$KIVJSON" check - 2>&1 || status=$?
if [ $status -ne 1 ]; then
    echo "an invalid document gave exit status $status, not 1" >&2
    exit 1
fi
echo "(exit status 1: the trailing comma is reported with its line and column)"
cat <<SUMMARY

Shown: check validated examples/sample.json, stats counted its values by type,
get printed values at JSON Pointers (--raw: a string's text without quotes),
pretty indented the document, minify made it compact, and check rejected an
invalid document (exit status 1). All as intended. The tool is
$KIVJSON; kivjson --help lists every option.
SUMMARY
