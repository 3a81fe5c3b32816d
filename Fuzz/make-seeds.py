#!/usr/bin/env python3
"""Writes the seed corpus for the fuzz targets.

    make-seeds.py OUTDIR [DATA_DIR]

OUTDIR/narrow gets UTF-8 text (string, stream and round-trip targets),
OUTDIR/wide the same texts as 32-bit little-endian elements (wide target), and
OUTDIR/wide.dict the tokens of Fuzz/json.dict in that form.
Seeds are hand-written snippets plus pieces derived at run time from the
benchmark documents in DATA_DIR/bench, when that directory exists: whole
subtrees written compactly, and raw slices that cut through the text.
"""
import hashlib
import json
import os
import random
import sys

SNIPPETS = [
    "null", "true", "false", "0", "-0", "5", " 5 ", "5 /* c */", "-1", "01", "-01",
    "18446744073709551615", "18446744073709551616", "-9223372036854775808",
    "-9223372036854775809", "123456789012345678901", "1.5", "1e5", "1E+05", "2e-3",
    "-0.0", "0.1", "3.14", "1e16", "1e17", "1e-5", "1e999", "-1e999", "1e-400",
    "4.9406564584124654e-324", "1.7976931348623157e308", "12abc", "1e5.5", "1.", "1e+", "-",
    '""', '"x"', '"a\\"b"', '"\\\\ \\/ \\b \\f \\n \\r \\t"', '"\\u0041\\u00e9\\u20ac"',
    '"\\ud83d\\ude00"', '"\\ud83d"', '"\\udc00"', '"\\ud83d\\u0041"', '"\\u12"', '"\\x"',
    '"caf\u00e9 \u6f22 \U0001f600"', '"\x7f"', '"tab\there"',
    "[]", "[ ]", "{}", "[/* c */]", "{// only a comment\n}", "[1,2.5,\"x\"]",
    '{"a":[1,2.5,"x"]}', '{"b":1,"a":2}', '{"a":1,"a":2}', '{"":true}', '{"k\\u0000":null}',
    "[1,]", "[,1]", "[", "[1 2]", "[1}", '{"a":1,}', "{,}", "{1:2}", '{"a" 1}', '{"a":}',
    "[[]]]", "{} }", "5 ]", "]", "5 6", "{} {", "[1] x", "tru", "trUe", "truex", "nul\nl",
    "/", "//", "// x\n1", "/**/1", "/*/", "/* a", "/* a *", "/x", "\ufeff{}", "\v\f[1]\v",
    "[" * 128 + "]" * 128, "[" * 129 + "]" * 129, "{\"a\":" * 60 + "1" + "}" * 60,
    '[null,true,false,-7,7,0.5,"s",{"k":[{}]},[[["deep"]]]]',
]


def subtrees(value, path_budget, rng, out):
    """Collects some whole subtrees of `value`, written compactly."""
    stack = [value]
    while stack and path_budget > 0:
        node = stack.pop(rng.randrange(len(stack)))
        text = json.dumps(node, separators=(",", ":"), ensure_ascii=False)
        if 2 <= len(text) <= 4096:
            out.append(text)
            path_budget -= 1
        children = node.values() if isinstance(node, dict) else node if isinstance(node, list) else []
        stack.extend(c for c in children if isinstance(c, (dict, list)))


def derived(data_dir):
    bench = os.path.join(data_dir, "bench")
    seeds = []
    for name in ("canada.json", "citm_catalog.json", "twitter.json"):
        path = os.path.join(bench, name)
        if not os.path.isfile(path):
            continue
        raw = open(path, "rb").read()
        rng = random.Random(name)
        subtrees(json.loads(raw), 40, rng, seeds)
        for _ in range(20):
            start = rng.randrange(len(raw))
            seeds.append(raw[start:start + rng.choice((16, 64, 256, 1024))])
        seeds.append(raw[:2048])
    return seeds


def write_wide_dict(out):
    here = os.path.dirname(os.path.abspath(__file__))
    lines = []
    for line in open(os.path.join(here, "json.dict"), encoding="utf-8"):
        line = line.strip()
        if line.startswith('"') and line.endswith('"'):
            token = line[1:-1].encode("ascii").decode("unicode_escape")
            lines.append('"' + "".join(f"\\x{b:02x}" for b in token.encode("utf-32-le")) + '"')
    with open(os.path.join(out, "wide.dict"), "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    data_dir = sys.argv[2] if len(sys.argv) == 3 else ""
    seeds = [s.encode("utf-8") for s in SNIPPETS]
    for seed in derived(data_dir) if data_dir else []:
        seeds.append(seed if isinstance(seed, bytes) else seed.encode("utf-8"))
    for kind in ("narrow", "wide"):
        os.makedirs(os.path.join(out, kind), exist_ok=True)
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()[:16]
        with open(os.path.join(out, "narrow", name), "wb") as f:
            f.write(seed)
        text = seed.decode("utf-8", errors="replace")
        with open(os.path.join(out, "wide", name), "wb") as f:
            f.write(text.encode("utf-32-le"))
    write_wide_dict(out)
    print(f"{len(seeds)} seeds in {out}")


if __name__ == "__main__":
    main()
