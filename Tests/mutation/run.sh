#!/usr/bin/env bash
# Mutation check: plants each fault listed in mutants.txt, one at a time, in a
# scratch copy of the working tree, rebuilds incrementally, runs the unit and
# tool tests, and reports whether they caught the fault. Run by hand, not in CI:
#
#   Tests/mutation/run.sh [--check] [NAME-PATTERN...]
#
#   --check        only verify that every mutant applies (no build, seconds)
#   NAME-PATTERN   run only the mutants whose name matches one of these globs
#
# Environment: KIVJSON_DATA_DIR (default: ../shared/data beside the checkout),
# KIVJSON_MUTATION_TIMEOUT (seconds per test, default 120), KIVJSON_MUTATION_JOBS
# (build and test jobs, default 2), CXX (default g++).
#
# mutants.txt holds one mutant per line, fields separated by " | ":
#   name | file[@anchor] | text | replacement
# `text` must occur exactly once in the file (or, with an anchor, the anchor must
# occur exactly once and `text` is its first occurrence after it). Fields are
# literal (no escapes); `text` cannot contain " | ", the replacement may be empty.
# Lines starting with '#' and blank lines are skipped.
#
# A mutant is "caught" when a test fails, "MISSED" when every test passes, and
# "BROKEN" when it does not apply or does not compile (fix the list, it says
# nothing about the tests). Exit status: 0 when nothing is BROKEN.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
list="$repo/Tests/mutation/mutants.txt"
check_only=0
if [[ "${1:-}" == "--check" ]]; then
  check_only=1
  shift
fi
patterns=("$@")
timeout=${KIVJSON_MUTATION_TIMEOUT:-120}
jobs=${KIVJSON_MUTATION_JOBS:-2}
data=${KIVJSON_DATA_DIR:-$(cd "$repo/.." && pwd)/shared/data}
# Slow and not about the code's behaviour: packaging, installation and the
# builds of kivJSON inside a parent project (each rebuilds the library, and
# ctest starts the costliest first, so they would double every mutant's time).
excluded='^(InstallAndConsume|PackageDeb|StaticLibrary|Subproject\..*)$'

work=$(mktemp -d "${TMPDIR:-/tmp}/kivjson-mutation.XXXXXX")
trap 'rm -rf "$work"' EXIT

# mutate FILE FIELD TEXT REPLACEMENT: plants one mutant in place; on failure
# prints why and leaves the file alone.
mutate() {
  python3 - "$@" <<'PY'
import sys
path, field, text, repl = sys.argv[1:5]
anchor = field.partition("@")[2]
src = open(path, encoding="utf-8").read()
start = 0
if anchor:
    if src.count(anchor) != 1:
        sys.exit(f"anchor found {src.count(anchor)} times")
    start = src.index(anchor)
    at = src.find(text, start)
    if at < 0:
        sys.exit("text not found after the anchor")
else:
    if src.count(text) != 1:
        sys.exit(f"text found {src.count(text)} times")
    at = src.index(text)
if text == repl:
    sys.exit("replacement equals the text")
open(path, "w", encoding="utf-8").write(src[:at] + repl + src[at + len(text):])
PY
}

# The working tree as it stands (tracked and new files, not ignored ones).
mkdir -p "$work/src"
# shellcheck disable=SC2016  # $1 belongs to the inner shell
(cd "$repo" && git ls-files -z --cached --others --exclude-standard |
   xargs -0 -I{} sh -c '[ -f "$1" ] && printf "%s\0" "$1"' _ {} |
   xargs -0 cp --parents -t "$work/src")

# Reads mutants.txt into parallel arrays, keeping those the patterns select.
names=() fields=() texts=() repls=()
while IFS= read -r line || [[ -n "$line" ]]; do
  [[ -z "${line//[[:space:]]/}" || "$line" == \#* ]] && continue
  mapfile -d '' -t parts < <(python3 -c '
import re, sys
parts = re.split(r"\s+\|(?:\s+|$)", sys.argv[1].rstrip("\n"), maxsplit=3)
parts += [""] * (4 - len(parts))
sys.stdout.write("\0".join(p.strip() if i < 2 else p for i, p in enumerate(parts)) + "\0")
' "$line")
  selected=$(( ${#patterns[@]} == 0 ))
  # shellcheck disable=SC2053  # the patterns are globs
  for p in "${patterns[@]}"; do [[ "${parts[0]}" == $p ]] && selected=1; done
  ((selected)) || continue
  names+=("${parts[0]}") fields+=("${parts[1]}") texts+=("${parts[2]}") repls+=("${parts[3]}")
done <"$list"
[[ ${#names[@]} -gt 0 ]] || { echo "no mutant selected" >&2; exit 2; }

if ((check_only)); then
  bad=0
  for i in "${!names[@]}"; do
    file="$work/src/${fields[i]%%@*}"
    if ! [[ -f "$file" ]] || ! why=$(mutate "$file" "${fields[i]}" "${texts[i]}" "${repls[i]}" 2>&1); then
      printf '%-30s BROKEN (%s)\n' "${names[i]}" "${why:-no such file}"
      bad=$((bad + 1))
    fi
  done
  printf '%d mutants, %d do not apply\n' "${#names[@]}" "$bad"
  exit $((bad > 0))
fi

# Only what the unit and tool tests need: no examples, benchmarks or fuzzers.
# Executables are not relinked when only a shared library changed.
echo "building the unmutated tree in $work (data: $data)"
# -O1: the one translation unit recompiles for nearly every mutant, in about
# half the time -O2 takes; the tests check behaviour, which does not differ.
# Warnings are not errors here (g++ 12 warns falsely at -O1 about the pool's
# operator delete, and a mutant may leave a variable unused).
cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DKIVJSON_WERROR=OFF \
  -DCMAKE_CXX_COMPILER="${CXX:-g++}" -DKIVJSON_DATA_DIR="$data" \
  -DKIVJSON_BUILD_EXAMPLES=OFF -DKIVJSON_BUILD_BENCHMARKS=OFF -DKIVJSON_BUILD_FUZZERS=OFF \
  -DCMAKE_LINK_DEPENDS_NO_SHARED=ON >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log"; exit 2; }

# Two stages: the allocation-failure programs link their own two static
# copies of the library (pool off and on), which would triple the compile
# time of every mutant; they are built and run only for a mutant that the
# other tests miss.
late_targets='AllocFailure'
late_tests='[.]pool[01]$'  # every test of those programs carries the suffix
run_tests() {  # log file -> status of ctest
  ctest --test-dir "$work/build" -j"$jobs" --timeout "$timeout" --stop-on-failure \
    -E "$excluded|$late_tests" >"$1" 2>&1 || return 1
  cmake --build "$work/build" -j"$jobs" >>"$1" 2>&1 &&
    ctest --test-dir "$work/build" -j"$jobs" --timeout "$timeout" --stop-on-failure \
      -R "$late_tests" >>"$1" 2>&1
}
# Every executable but the allocation-failure programs.
early_targets() {
  ninja -C "$work/build" -t targets all | sed -n 's/: CXX_EXECUTABLE_LINKER.*//p' |
    grep -v "$late_targets"
}
build_early() {  # -> status of the build
  # shellcheck disable=SC2046  # one target a word
  cmake --build "$work/build" -j"$jobs" --target $(early_targets) >"$work/build.log" 2>&1
}
first_failure() {  # the first failing test named in a ctest log
  grep -m1 -E '\*\*\*(Failed|Exception|Timeout)|Not Run' "$1" |
    sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/'
}

cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 2; }
if ! run_tests "$work/test.log"; then
  echo "the unmutated tree fails its tests ($(first_failure "$work/test.log")): fix that first" >&2
  exit 2
fi

caught=0 missed=0 broken=0
missed_names=() broken_names=()
printf '%-30s %s\n' MUTANT RESULT
for i in "${!names[@]}"; do
  name=${names[i]} rel=${fields[i]%%@*}
  file="$work/src/$rel"
  start=$SECONDS
  if ! [[ -f "$file" ]]; then
    result="BROKEN (no file $rel)"
  else
    cp -p "$file" "$work/original"
    if ! why=$(mutate "$file" "${fields[i]}" "${texts[i]}" "${repls[i]}" 2>&1); then
      result="BROKEN ($rel: $why)"
    elif ! build_early; then
      result="BROKEN (does not compile: $(grep -m1 -o 'error: .*' "$work/build.log" | cut -c1-70))"
    elif run_tests "$work/test.log"; then
      result="MISSED"
    else
      result="caught by $(first_failure "$work/test.log")"
    fi
    # Back to the original text; the next build recompiles it.
    cp "$work/original" "$file"
    touch "$file"
  fi
  case $result in
    caught*) caught=$((caught + 1)) ;;
    MISSED) missed=$((missed + 1)) missed_names+=("$name") ;;
    *) broken=$((broken + 1)) broken_names+=("$name") ;;
  esac
  printf '%-30s %s  [%ds]\n' "$name" "$result" $((SECONDS - start))
done

total=$((caught + missed))
printf '\ncaught %d of %d (%d%%), missed %d, broken %d\n' "$caught" "$total" \
  "$((total ? 100 * caught / total : 0))" "$missed" "$broken"
((missed == 0)) || printf 'missed: %s\n' "${missed_names[*]}"
((broken == 0)) || printf 'broken: %s\n' "${broken_names[*]}"
[ "$broken" -eq 0 ]
