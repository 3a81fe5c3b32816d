#!/usr/bin/env bash
# Peak memory and time of the kivjson commands on generated documents (never
# committed): a large one (default 2 GB) for the memory bound, a JSON Lines
# file for --lines, and a 200 MB one for throughput beside jq and
# python3 -m json.tool. Prints one line per run: TOOL COMMAND SECONDS PEAK_MB.
#
#   Benchmarks/tool-streaming.sh KIVJSON [LARGE_MB] [WORK_DIR]
set -euo pipefail
kivjson=$(realpath "$1")
large_mb=${2:-2048}
work=${3:-$(mktemp -d)}
mkdir -p "$work"

# One array of records, written from a 1 MB block repeated.
generate() {  # FILE MB
    python3 - "$1" "$2" <<'PY'
import sys
path, mb = sys.argv[1], int(sys.argv[2])
rec = '{"id":%d,"name":"user %d","score":%d.25,"tags":["a","b\\u00e9"],"ok":true,"n":null}'
block = ",\n".join(rec % (i, i, i) for i in range(11000))
block = block[: block.rfind("}", 0, 1 << 20) + 1]
with open(path, "w") as out:
    out.write("[")
    for i in range(mb):
        out.write(block if i == 0 else ",\n" + block)
    out.write("]\n")
PY
}

run() {  # LABEL COMMAND...
    local label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null
    read -r seconds kb <"$work/time.txt"
    printf '%-28s %8.2f s %8.1f MB\n' "$label" "$seconds" "$(echo "$kb / 1024" | bc -l)"
}

generate "$work/large.json" "$large_mb"
for command in check "check --wide" minify pretty "get /7/name" stats; do
    run "kivjson $command (${large_mb} MB)" "$kivjson" $command "$work/large.json"
done
rm -f "$work/large.json"

# JSON Lines: 200 MB of lines of about 1 MB each.
python3 - "$work/lines.jsonl" <<'PY'
import sys
line = "[" + ",".join('{"k":%d,"s":"%s"}' % (i, "x" * 20) for i in range(30000)) + "]\n"
with open(sys.argv[1], "w") as out:
    for _ in range(200 * (1 << 20) // len(line)):
        out.write(line)
PY
echo "longest line: $(awk '{ if (length($0) > m) m = length($0) } END { print m }' "$work/lines.jsonl") bytes"
run "kivjson check --lines" "$kivjson" check --lines "$work/lines.jsonl"
run "kivjson check --lines --wide" "$kivjson" check --lines --wide "$work/lines.jsonl"
run "kivjson minify --lines" "$kivjson" minify --lines "$work/lines.jsonl"
rm -f "$work/lines.jsonl"

generate "$work/200.json" 200
for round in 1 2 3 4 5; do
    run "kivjson check #$round" "$kivjson" check "$work/200.json"
    run "jq empty #$round" jq empty "$work/200.json"
    run "kivjson minify #$round" "$kivjson" minify "$work/200.json"
    run "jq -c . #$round" jq -c . "$work/200.json"
    run "python3 -m json.tool #$round" python3 -m json.tool "$work/200.json"
done
rm -f "$work/200.json"
