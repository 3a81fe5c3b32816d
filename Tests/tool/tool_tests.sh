#!/bin/bash
# Runs the built kivjson as a user would and compares exit codes and output.
# Usage: tool_tests.sh KIVJSON GROUP   (GROUP: check, get, pretty, minify, stats, usage, patch)
#        tool_tests.sh KIVJSON manpage MAN-PAGE
set -u
KIVJSON=$(realpath "$1")
GROUP=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 2
failures=0

# expect NAME RC STDOUT STDERR ARGS...: runs kivjson ARGS with standard input
# from $STDIN (default /dev/null) and demands exactly that exit code and output.
expect() {
    local name=$1 want_rc=$2 want_out=$3 want_err=$4
    shift 4
    "$KIVJSON" "$@" <"${STDIN:-/dev/null}" >out.txt 2>err.txt
    local rc=$?
    printf '%s' "$want_out" >want_out.txt
    printf '%s' "$want_err" >want_err.txt
    if [ "$rc" != "$want_rc" ] || ! cmp -s out.txt want_out.txt || ! cmp -s err.txt want_err.txt; then
        echo "FAIL $name: kivjson $*"
        echo "  exit $rc (want $want_rc)"
        echo "  stdout: $(cat out.txt)"
        echo "  want:   $want_out"
        echo "  stderr: $(cat err.txt)"
        echo "  want:   $want_err"
        failures=$((failures + 1))
    fi
}

NONFINITE="nonfinite.json: cannot write a number that is infinite or NaN as JSON (--allow-nonfinite writes it as null)"$'\n'

case $GROUP in
check)
    # LINE:COLUMN is the first character of the offending token, or one past
    # the end of the text when the parser ran out of it.
    printf '{"a": [1, 2,]}' >trailing-comma.json
    printf '{\n  "a": tru\n}' >keyword.json
    printf '["\xc3\xa9", x]' >after-utf8.json
    printf '[1, 2' >unterminated.json
    printf '' >empty.json
    printf '1 2' >two-values.json
    printf '[1]]' >extra-bracket.json
    printf '{"a" 1}' >no-colon.json
    printf '{"k": "\\q"}' >bad-escape.json
    printf '/* note */ {"a": [1, 2.5e3, -7], "b": "caf\xc3\xa9"} // end\n' >valid.json
    E=" error:"
    T="Malformed token (kivJSON 8):"
    expect trailing-comma 1 "" "trailing-comma.json:1:13:$E $T unexpected character ']'"$'\n' check trailing-comma.json
    expect keyword 1 "" "keyword.json:2:8:$E Malformed literal (kivJSON 4)"$'\n' check keyword.json
    expect after-utf8 1 "" "after-utf8.json:1:7:$E $T unexpected character 'x'"$'\n' check after-utf8.json
    expect unterminated 1 "" "unterminated.json:1:6:$E Malformed array literal (kivJSON 2)"$'\n' check unterminated.json
    expect empty 1 "" "empty.json:1:1:$E $T unexpected end of input"$'\n' check empty.json
    expect two-values 1 "" "two-values.json:1:3:$E Left-over characters in stream after parsing a JSON value (kivJSON 1)"$'\n' check two-values.json
    expect extra-bracket 1 "" "extra-bracket.json:1:4:$E Mismatched braces (kivJSON 9)"$'\n' check extra-bracket.json
    expect no-colon 1 "" "no-colon.json:1:6:$E Malformed object literal (kivJSON 5)"$'\n' check no-colon.json
    expect valid 0 "" "" check valid.json
    printf '[0, 1e5,\r\n\t"\xc3\xa9"]' >plain.json
    printf '[1,\n 01]' >leading-zero.json
    printf '["\xc3\xa9\xff"]' >bad-utf8.json
    printf '[1e999]' >huge.json
    expect strict-plain 0 "" "" check --strict plain.json
    expect strict-comment 1 "" "valid.json:1:1:$E $T unexpected character '/'"$'\n' check --strict valid.json
    expect strict-zero 1 "" "leading-zero.json:2:2:$E Malformed numeric literal (kivJSON 6)"$'\n' check --strict leading-zero.json
    expect strict-utf8 1 "" "bad-utf8.json:1:2:$E Malformed string literal (kivJSON 7)"$'\n' check --strict bad-utf8.json
    expect strict-huge 1 "" "huge.json:1:2:$E Malformed numeric literal (kivJSON 6)"$'\n' check --strict huge.json
    printf '1\n\n  true' >left-over.json
    expect left-over 1 "" "left-over.json:3:3:$E Left-over characters in stream after parsing a JSON value (kivJSON 1)"$'\n' check --wide left-over.json
    expect verbose 0 "valid.json: ok"$'\n' "" check -v valid.json
    expect wide-valid 0 "valid.json: ok"$'\n' "" check --wide -v valid.json
    expect wide-invalid 1 "" "trailing-comma.json:1:13:$E $T unexpected character ']'"$'\n' check --wide trailing-comma.json
    expect several 2 "valid.json: ok"$'\n' "empty.json:1:1:$E $T unexpected end of input"$'\n'"kivjson: cannot open 'missing.json': No such file or directory"$'\n' check -v valid.json empty.json missing.json
    # After "Malformed token", what the parser met there.
    printf '\xef\xbb\xbf{}' >bom.json; printf '{\0}\0' >utf16.json; printf '\xff\xfe[\0]\0' >utf16-bom.json
    printf 'NaN' >nan.json; printf "['a']" >quote.json; printf '[\x01]' >control.json; printf '[\xff]' >byte.json
    expect bom 1 "" "bom.json:1:1:$E $T byte-order mark; use --allow-bom to accept it"$'\n' check bom.json
    # --allow-bom: the mark is skipped, positions count from after it.
    printf '\xef\xbb\xbf[1,\n x]' >bom-bad.json; printf '\xef\xbb\xbf[2]' >bom2.json
    for args in "check" "check --wide" "minify" "stats"; do
        expect "bom-allowed $args" 1 "" "bom-bad.json:2:2:$E $T unexpected character 'x'"$'\n' $args --allow-bom bom-bad.json
    done
    for args in "minify --lines" "pretty --indent 0" "get ''" "merge bom.json"; do
        eval "expect 'bom-allowed $args' 0 '[2]'$'\n' '' $args --allow-bom bom2.json"
    done
    STDIN=bom2.json expect bom-stdin 0 $'[2]\n' "" minify --allow-bom
    expect bom-diff 0 $'[]\n' "" diff --allow-bom bom2.json bom2.json
    expect utf16 1 "" "utf16.json:1:2:$E $T UTF-16 text"$'\n' check utf16.json
    expect utf16-bom-wide 1 "" "utf16-bom.json:1:1:$E $T UTF-16 text"$'\n' check --wide utf16-bom.json
    expect nan 1 "" "nan.json:1:1:$E $T unexpected character 'N'"$'\n' check nan.json
    expect quote 1 "" "quote.json:1:2:$E $T unexpected character \"'\""$'\n' check quote.json
    expect control 1 "" "control.json:1:2:$E $T unexpected character U+0001"$'\n' check control.json
    expect byte 1 "" "byte.json:1:2:$E $T unexpected byte 0xFF"$'\n' check byte.json
    expect byte-wide 1 "" "byte.json:1:2:$E $T unexpected character U+FFFD"$'\n' check --wide byte.json
    # JSON Lines: blank lines skipped, positions in the file's own lines.
    printf '{"a": 1}\n\n \t\n[1, 2]\r\n  [1,]\n{"b":\n' >docs.jsonl
    expect lines 1 "" "docs.jsonl:5:6:$E $T unexpected character ']'"$'\n'"docs.jsonl:6:6:$E $T unexpected end of input"$'\n' check --lines docs.jsonl
    expect lines-wide 1 "" "docs.jsonl:5:6:$E $T unexpected character ']'"$'\n'"docs.jsonl:6:6:$E $T unexpected end of input"$'\n' check --lines --wide docs.jsonl
    expect lines-empty 0 "empty.json: ok"$'\n' "" check --lines -v empty.json
    # --wide decodes a block at a time: sequences cut by the 64 KiB blocks,
    # whole or ill-formed, count as the whole text's decoding counts them.
    for at in 65532 65533 65534 65535 65536; do
        python3 -c "import sys; sys.stdout.buffer.write(b'[\"' + b'a' * ($at - 2) + b'\xe2\x82\xe2\x82\xac\xf0\x9f\x98\x80\x80\", x]')" >cut.json
        column=$(python3 -c "print(open('cut.json', 'rb').read().decode('utf-8', 'replace').index('x') + 1)")
        expect "wide-cut-$at" 1 "" "cut.json:1:$column:$E $T unexpected character 'x'"$'\n' check --wide cut.json
    done
    expect missing 2 "" "kivjson: cannot open 'missing.json': No such file or directory"$'\n' check missing.json
    expect directory 2 "" "kivjson: cannot read '.': Is a directory"$'\n' check .
    printf '{"a":\n' >stdin.txt
    STDIN=stdin.txt expect stdin 1 "" "<stdin>:2:1:$E $T unexpected end of input"$'\n' check -
    STDIN=valid.json expect stdin-default 0 "<stdin>: ok"$'\n' "" check -v
    ;;
get)
    # Pointer cases are the library's own test; these cover the command.
    printf '{"a/b": {"m~n": [10, "x\\ty", true]}, "d": 1, "d": 2, "s": "caf\\u00e9", "": 0}' >doc.json
    printf '[1,,2]' >bad.json
    expect escaped-tokens 0 '"x\ty"'$'\n' "" get '/a~1b/m~0n/1' doc.json
    expect raw 0 $'x\ty\n' "" get --raw '/a~1b/m~0n/1' doc.json
    expect raw-non-ascii 0 $'caf\xc3\xa9\n' "" get /s doc.json --raw
    expect raw-non-string 0 $'true\n' "" get --raw '/a~1b/m~0n/2' doc.json
    expect whole 0 '{"a/b":{"m~n":[10,"x\ty",true]},"d":1,"d":2,"s":"café","":0}'$'\n' "" get '' doc.json
    expect absent 1 "" $'doc.json: no value at /a~1b/m~0n/01\n' get '/a~1b/m~0n/01' doc.json
    expect bad-pointer 2 "" "kivjson get: 'd': JSON Pointer does not start with '/'"$'\n'"Try 'kivjson get --help'."$'\n' get d doc.json
    expect several 2 $'1\n1\n' "bad.json:1:4: error: Malformed token (kivJSON 8): unexpected character ','"$'\n'"kivjson: cannot open 'missing.json': No such file or directory"$'\n' get /d doc.json bad.json missing.json doc.json
    STDIN=doc.json expect stdin 1 "" "<stdin>: no value at /x"$'\n' get /x -
    STDIN=doc.json expect stdin-default 0 $'10\n' "" get '/a~1b/m~0n/0'
    printf '{"ok": 0.1, "big": [1e999]}' >nonfinite.json
    expect shortest 0 $'0.1\n' "" get /ok nonfinite.json
    expect exact 0 $'0.10000000000000001\n' "" get --exact /ok nonfinite.json
    expect nonfinite 1 "" "$NONFINITE" get /big nonfinite.json
    printf '{"d": 1}\n[]\n' >docs.jsonl
    expect lines 1 $'1\n' "docs.jsonl:2: no value at /d"$'\n' get --lines /d docs.jsonl
    expect allow-nonfinite 0 $'[null]\n' "" get --allow-nonfinite /big nonfinite.json
    ;;
pretty)
    printf '{"a":[1,-2,2.5,{}],"b":{"c":null,"e":[]},"s":"q\\"\\u0001"}' >doc.json
    expect default-indent 0 '{
  "a": [
    1,
    -2,
    2.5,
    {}
  ],
  "b": {
    "c": null,
    "e": []
  },
  "s": "q\"\u0001"
}
' "" pretty doc.json
    printf '[[true]]' >nested.json
    expect indent-4 0 $'[\n    [\n        true\n    ]\n]\n' "" pretty --indent 4 nested.json
    expect indent-0 0 $'[[true]]\n' "" pretty --indent=0 nested.json
    expect several 0 $'[[true]]\n[[true]]\n' "" pretty --indent 0 nested.json nested.json
    printf ' "just text" ' >scalar.json
    STDIN=scalar.json expect scalar 0 $'"just text"\n' "" pretty -
    # The parser's nesting limit, written without running out of stack.
    printf '%0.s[' $(seq 128) >deep.json
    printf '%0.s]' $(seq 128) >>deep.json
    "$KIVJSON" pretty deep.json | "$KIVJSON" minify | cmp -s - <(cat deep.json; echo) ||
        { echo "FAIL deep: pretty | minify changed the document"; failures=$((failures + 1)); }
    ;;
minify)
    printf ' { "a" : [ 1 , true , null , "x" ] , "b" : { } }\n' >doc.json
    STDIN=doc.json expect stdin 0 '{"a":[1,true,null,"x"],"b":{}}'$'\n' "" minify
    expect file 0 '{"a":[1,true,null,"x"],"b":{}}'$'\n' "" minify doc.json
    printf '[1,,2]' >bad.json
    BAD="bad.json:1:4: error: Malformed token (kivJSON 8): unexpected character ','"$'\n'
    expect invalid 1 "" "$BAD" minify bad.json
    printf '[1, 2]' >pair.json
    STDIN=pair.json expect several 1 '{"a":[1,true,null,"x"],"b":{}}'$'\n''[1,2]'$'\n' "$BAD" minify doc.json bad.json -
    printf ' { "a" : 1 }\n\n[ 1, 2 ]\r\n"x"' >docs.jsonl
    expect lines 0 $'{"a":1}\n[1,2]\n"x"\n' "" minify --lines docs.jsonl
    printf '[0.1, 0.087, 1e21, -0.0, 5e-324]' >numbers.json
    expect shortest 0 $'[0.1,0.087,1e+21,-0,5e-324]\n' "" minify numbers.json
    expect exact 0 $'[0.10000000000000001,0.086999999999999994,1e+21,-0,4.9406564584124654e-324]\n' "" minify --exact numbers.json
    # --sort-keys: byte order of the UTF-8 keys at every depth, duplicates in
    # their order, arrays keep theirs; a problem inside a held object still fails.
    printf '[{"b":1,"a":{"z":[{"y":1,"x":2}],"c":0},"b":0,"\xc3\xa9":1,"\xef\xbd\x81":2,"Z":3,"\xc3\xa9":4},[3,2]]' >keys.json
    expect sort-keys 0 '[{"Z":3,"a":{"c":0,"z":[{"x":2,"y":1}]},"b":1,"b":0,"é":1,"é":4,"ａ":2},[3,2]]'$'\n' "" minify --sort-keys keys.json
    printf '{"b":[1e999],"a":0}' >nonfinite.json
    expect sort-keys-nonfinite 1 "" "$NONFINITE" minify --sort-keys nonfinite.json
    printf '{"b":"\xff"}' >b.json
    expect sort-keys-utf8 1 "" "b.json:1:6: error: string is not valid UTF-8, which JSON text cannot hold"$'\n' pretty --sort-keys b.json
    expect sort-keys-pretty 0 $'{\n "a": {},\n "b": [\n  1\n ]\n}\n' "" pretty --indent 1 --sort-keys <(printf '{"b":[1],"a":{}}')
    printf '[1e999, -1e999]' >nonfinite.json
    for command in minify pretty; do
        expect "$command-nonfinite" 1 "" "$NONFINITE" $command nonfinite.json
    done
    expect allow-nonfinite 0 $'[null,null]\n' "" minify --allow-nonfinite --exact nonfinite.json
    # Accepted bytes that are not UTF-8 are never written; get only minds what it prints.
    printf '{"a":"\xff"}' >b.json; printf '{"ok":1,\n "\xc3(":2}' >k.json
    U="is not valid UTF-8, which JSON text cannot hold"$'\n'
    for args in minify pretty "get /a" "get --raw /a"; do
        expect "utf8 $args" 1 "" "b.json:1:6: error: string $U" $args b.json
    done
    expect utf8-key 1 "" "k.json:2:2: error: key $U" pretty k.json
    expect utf8-key-get 0 $'1\n' "" get /ok k.json
    expect utf8-check 0 "b.json: ok (b.json:1:6: a string is not valid UTF-8; --strict rejects it)"$'\n' "" check -v b.json
    # Read in blocks: an error far into a large document still prints nothing
    # of it, and says what it met.
    { printf '['; seq 250000 | sed 's/.*/"&&&&",/' | tr -d '\n'; printf '1]'; } >big.json
    sed 's/1]$/x]/' big.json >big-bad.json
    "$KIVJSON" pretty big.json | "$KIVJSON" minify | cmp -s - <(cat big.json; echo) ||
        { echo "FAIL big: pretty | minify changed the document"; failures=$((failures + 1)); }
    expect big-bad 1 "" "big-bad.json:1:$(($(wc -c <big.json) - 1)): error: Malformed token (kivJSON 8): unexpected character 'x'"$'\n' minify big-bad.json
    printf '1\n[1e999]\n' >nonfinite.jsonl
    expect lines-nonfinite 1 $'1\n' "nonfinite.jsonl:2:${NONFINITE#nonfinite.json:}" minify --lines nonfinite.jsonl
    ;;
stats)
    printf '{"a":[1,-2,2.5,{}],"b":{"c":null,"e":[]},"s":"q","t":false}' >doc.json
    "$KIVJSON" stats doc.json | grep -v -e '^parse:' -e '^serialize:' >out.txt
    cat >want.txt <<'WANT'
file: doc.json
size: 59 bytes
documents: 1
values: 11
  objects: 3 (members: 6)
  arrays: 2 (elements: 4)
  strings: 1
  numbers: 3 (Int64: 1, Uint64: 1, Double: 1)
  bools: 1
  nulls: 1
max depth: 3
WANT
    cmp -s out.txt want.txt || { echo "FAIL counts:"; diff want.txt out.txt; failures=$((failures + 1)); }
    "$KIVJSON" stats doc.json | grep -q '^serialize: .* MB/s (59 bytes compact)$' ||
        { echo "FAIL serialize line"; failures=$((failures + 1)); }
    printf '{"a":1}\n\n[2,"x"]\n' >docs.jsonl
    "$KIVJSON" stats --lines docs.jsonl doc.json | grep -e '^file:' -e '^documents:' -e '^values:' -e '^$' >out.txt
    printf 'file: docs.jsonl\ndocuments: 2\nvalues: 5\n\nfile: doc.json\ndocuments: 1\nvalues: 11\n' | cmp -s - out.txt ||
        { echo "FAIL several files:"; cat out.txt; failures=$((failures + 1)); }
    ;;
usage)
    expect no-command 2 "" "$("$KIVJSON" --help)"$'\n' # help goes to stderr
    expect unknown-command 2 "" "kivjson: unknown command 'frob'"$'\n'"Try 'kivjson --help'."$'\n' frob
    expect unknown-option 2 "" "kivjson check: unknown option '--fast'"$'\n'"Try 'kivjson check --help'."$'\n' check --fast
    expect get-operands 2 "" "kivjson get: expects a POINTER"$'\n'"Try 'kivjson get --help'."$'\n' get
    expect indent-range 2 "" "kivjson pretty: --indent expects a number from 0 to 16, not '17'"$'\n'"Try 'kivjson pretty --help'."$'\n' pretty --indent 17
    for args in "check - -" "minify a - -" "pretty - -" "get /a - -" "stats - a -"; do
        command=${args%% *}
        expect "$command-stdin-twice" 2 "" "kivjson $command: standard input ('-') can be read only once"$'\n'"Try 'kivjson $command --help'."$'\n' $args
    done
    for command in check minify pretty get stats; do
        "$KIVJSON" $command --help | grep -q "^Usage: kivjson $command" ||
            { echo "FAIL $command --help"; failures=$((failures + 1)); }
        "$KIVJSON" $command --version | grep -qE '^kivjson [0-9]+\.[0-9]+\.[0-9]+$' ||
            { echo "FAIL $command --version"; failures=$((failures + 1)); }
    done
    ;;
patch)
    printf '{"a":[1,2],"b":{"c":1}}' >doc.json
    printf '\xef\xbb\xbf[]' >bom.json
    printf '[{"op":"replace","path":"/b/c","value":"y"}]' >ok.json
    printf '[\n  {"op":"add","path":"/a/-","value":3},\n  {"op":"test","path":"/a/0","value":2}\n]\n' >test.json
    printf '[{"op":"move","from":"/b","path":"/b/c"}]' >move.json
    printf '{"b":null,"z":[1]}' >merge.json
    printf '[1,\n' >bad.json
    printf '{"a":[1],"b":{"c":2},"d":true}' >other.json
    expect patch 0 '{"a":[1,2],"b":{"c":"y"}}'$'\n' "" patch doc.json ok.json
    STDIN=ok.json expect patch-stdin 0 '{"a":[1,2],"b":{"c":"y"}}'$'\n' "" patch doc.json -
    expect test-fails 1 "" 'test.json:3:3: error: operation 1 (test "/a/0"): the value differs from the one tested'$'\n' patch doc.json test.json
    expect move-into-child 1 "" 'move.json:1:2: error: operation 0 (move "/b/c"): a value cannot move into itself'$'\n' patch doc.json move.json
    expect not-a-patch 1 "" 'doc.json: error: a JSON Patch is not an array'$'\n' patch doc.json doc.json
    expect invalid 1 "" "bad.json:2:1: error: Malformed token (kivJSON 8): unexpected end of input"$'\n' patch doc.json bad.json
    expect merge 0 '{"a":[1,2],"z":[1]}'$'\n' "" merge doc.json merge.json
    expect diff 0 '[{"op":"remove","path":"/a/1"},{"op":"replace","path":"/b/c","value":2},{"op":"add","path":"/d","value":true}]'$'\n' "" diff doc.json other.json
    expect diff-equal 0 $'[]\n' "" diff doc.json doc.json
    "$KIVJSON" diff doc.json other.json >p.json && "$KIVJSON" patch doc.json p.json >out.json &&
        printf '{"a":[1],"b":{"c":2},"d":true}\n' | cmp -s - out.json ||
        { echo "FAIL diff then patch"; failures=$((failures + 1)); }
    expect missing 2 "" "kivjson: cannot open 'missing.json': No such file or directory"$'\n' patch missing.json ok.json
    for command in patch merge diff; do
        expect "$command-bom" 1 "" "bom.json:1:1: error: Malformed token (kivJSON 8): byte-order mark; use --allow-bom to accept it"$'\n' $command bom.json doc.json
        expect "$command-operands" 2 "" "kivjson $command: expects two FILEs"$'\n'"Try 'kivjson $command --help'."$'\n' $command doc.json
        expect "$command-stdin-twice" 2 "" "kivjson $command: standard input ('-') can be read only once"$'\n'"Try 'kivjson $command --help'."$'\n' $command - -
        "$KIVJSON" $command --help | grep -q "^Usage: kivjson $command" ||
            { echo "FAIL $command --help"; failures=$((failures + 1)); }
    done
    ;;
manpage)
    # Every command has a section in the man page, and every option that a
    # --help shows appears there.
    MAN=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$3")
    commands=$("$KIVJSON" --help | sed -n 's/^  \([a-z]\+\) .*/\1/p')
    [ -n "$commands" ] || { echo "FAIL no commands in --help"; failures=$((failures + 1)); }
    for command in "" $commands; do
        [ -z "$command" ] || grep -qx "\.SS $command" <<<"$MAN" || { echo "FAIL no section for $command"; failures=$((failures + 1)); }
        for option in $("$KIVJSON" $command --help | grep -oE -- '(^|[ [])--?[a-z][a-z-]*' | tr -d ' [' | sort -u); do
            grep -qF -- "$option" <<<"$MAN" || { echo "FAIL $option of 'kivjson $command --help' not in the man page"; failures=$((failures + 1)); }
        done
    done
    ;;
*)
    echo "unknown test group $GROUP"
    exit 2
    ;;
esac

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
