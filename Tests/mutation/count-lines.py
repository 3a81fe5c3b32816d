#!/usr/bin/env python3
"""Counts non-blank, non-comment C++ lines (.cpp, .h) of Tests/ against Source/ + Tools/.

Usage: Tests/mutation/count-lines.py [--per-file]
Prints "TESTS CODE PERCENT"; exits 1 when the tests exceed 36 % of the code.
Comments are removed with string and character literals respected, so a
"/*" inside a test's JSON text does not hide the lines after it.
"""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
LIMIT = 36.0
TOKEN = re.compile(r'R"([^(]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'|//[^\n]*|/\*.*?\*/',
                   re.S)


def code_lines(path):
    text = open(path, encoding="utf-8", errors="replace").read()
    # Comments become blanks (keeping their line breaks); literals stay.
    text = TOKEN.sub(lambda m: m.group(0) if m.group(0)[0] not in "/" else
                     "\n" * m.group(0).count("\n"), text)
    return sum(1 for line in text.split("\n") if line.strip())


def count(folder, per_file):
    total = 0
    for directory, _, files in sorted(os.walk(os.path.join(ROOT, folder))):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                n = code_lines(os.path.join(directory, name))
                if per_file:
                    print(f"{n:6} {os.path.relpath(os.path.join(directory, name), ROOT)}")
                total += n
    return total


per_file = "--per-file" in sys.argv
tests = count("Tests", per_file)
code = count("Source", per_file) + count("Tools", per_file)
percent = 100.0 * tests / code
print(tests, code, f"{percent:.1f}")
sys.exit(0 if percent <= LIMIT else 1)
