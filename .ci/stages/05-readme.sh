#!/usr/bin/env bash
# A newcomer's first minutes: clone the repository into a scratch folder (with
# the shared data beside it, as beside this checkout) and run the commands of
# the README's section "Two commands for a fresh machine", taken from its ```sh
# blocks, in the README's order. Quiet unless a command fails. Before them, a
# first run of the demo fails as it does on a machine without Ninja (the cache
# keeps CMAKE_MAKE_PROGRAM-NOTFOUND): the README's commands must recover from it.
set -euo pipefail
cd "$(dirname "$0")/../.."
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2} CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-2}

mapfile -t commands < <(awk '
  /^## / { inside = ($0 == "## Two commands for a fresh machine") }
  inside && /^```/ { block = ($0 == "```sh"); next }
  inside && block && NF { print }' README.md)
if [ "${#commands[@]}" -ne 2 ]; then
  echo "expected two commands in the README's section, found ${#commands[@]}" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git clone --quiet . "$scratch/kivJSON"
[ -d ../shared ] && ln -s "$(realpath ../shared)" "$scratch/shared"

(cd "$scratch/kivJSON" && PATH=/nonexistent "$(command -v cmake)" --preset demo) >/dev/null 2>&1 || true
if ! grep -q '^CMAKE_MAKE_PROGRAM.*-NOTFOUND$' "$scratch/kivJSON/build/demo/CMakeCache.txt"; then
  echo "could not leave a failed first run in build/demo" >&2
  exit 1
fi

for command in "${commands[@]}"; do
  start=$SECONDS
  if ! (cd "$scratch/kivJSON" && bash -c "$command") >"$scratch/log" 2>&1; then
    cat "$scratch/log"
    echo "README command failed in a fresh clone: $command" >&2
    exit 1
  fi
  echo "ok ($((SECONDS - start)) s): $command"
done
