#!/usr/bin/env bash
# Binary-interface check of libkivJSON.so.1 and libkivCore.so.1 against the
# release recorded in this folder (abidw dumps of v1.0.0, debug build, public
# headers only).
#
#   check-abi.sh                build this tree, compare; exit 1 on any change
#                               that is not an addition (removed or changed
#                               symbol, class layout, vtable), with abidiff's report
#   check-abi.sh --self-test    plant a new virtual function in
#                               _Private::JsonValueTypeImpl in a scratch copy and
#                               require the check to fail on it
#   check-abi.sh --baseline     rewrite the dumps from this tree (at a release
#                               that starts a new major version only)
#
# Additions (new functions, classes, headers) pass and are listed. Needs
# abigail-tools (abidw, abidiff).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=${KIVJSON_ABI_SOURCE:-$(cd "$here/../.." && pwd)}
work=${KIVJSON_ABI_WORK:-$source_dir/build/abi}
mode=${1:-check}

build_libs() {  # build_libs SOURCE BUILD
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++ \
    -DKIVJSON_BUILD_TESTS=OFF -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_TOOLS=OFF >/dev/null
  cmake --build "$2" --target kivJSON kivCore >/dev/null
}

dump() {  # dump SOURCE LIBRARY > XML
  abidw --no-corpus-path --no-comp-dir-path --no-show-locs --drop-private-types \
    --headers-dir "$1/Source/Platform/kivJSON" --headers-dir "$1/Source/Platform/kivCore" "$2"
}

compare() {  # compare SOURCE BUILD: 0 when only additions
  local status=0 lib report
  for lib in libkivJSON.so.1 libkivCore.so.1; do
    dump "$1" "$2/$lib" >"$2/$lib.abi"
    if report=$(abidiff --no-added-syms --suppressions "$here/std.suppr" \
                  "$here/$lib.abi" "$2/$lib.abi"); then
      echo "$lib: compatible with the baseline"
      abidiff --suppressions "$here/std.suppr" "$here/$lib.abi" "$2/$lib.abi" |
        grep '^  \[A\]' | sed 's/^  /  added: /' || true
    else
      echo "$lib: INCOMPATIBLE with the baseline:" >&2
      echo "$report" >&2
      status=1
    fi
  done
  return $status
}

case $mode in
  check)
    build_libs "$source_dir" "$work"
    compare "$source_dir" "$work"
    ;;
  --baseline)
    build_libs "$source_dir" "$work"
    for lib in libkivJSON.so.1 libkivCore.so.1; do
      dump "$source_dir" "$work/$lib" >"$here/$lib.abi"
    done
    ;;
  --self-test)
    scratch="$work-planted"
    rm -rf "$scratch"
    mkdir -p "$scratch/src"
    (cd "$source_dir" && tar -cf - CMakeLists.txt LICENSE README.md cmake docs Source) | tar -xf - -C "$scratch/src"
    header="$scratch/src/Source/Platform/kivJSON/JSONPrivateImpl.h"
    grep -q '    virtual ~JsonValueTypeImpl();' "$header"
    sed -i 's/^    virtual ~JsonValueTypeImpl();/&\n    virtual int PlantedHook() const { return 0; }/' "$header"
    build_libs "$scratch/src" "$scratch/build"
    if compare "$scratch/src" "$scratch/build" 2>"$scratch/report"; then
      echo "self-test FAILED: a new virtual function passed the check" >&2
      exit 1
    fi
    grep -m1 'vtable' "$scratch/report" || { cat "$scratch/report" >&2; exit 1; }
    echo "self-test: the planted virtual function was reported as incompatible"
    ;;
  *)
    echo "usage: $0 [--self-test|--baseline]" >&2
    exit 2
    ;;
esac
