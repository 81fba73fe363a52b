#!/usr/bin/env python3
"""String literals holding Chinese text in the files of a folder, comments
left out: what a layer says to the user. Prints each and exits 1 when there
is one that the allowed list (a file of `path<TAB>literal-or-*<TAB>why`
lines, paths from SOURCE_ROOT) does not name.

    user_texts.py FOLDER [ALLOWED SOURCE_ROOT]"""
import os
import re
import sys

token = re.compile(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*|/\*.*?\*/', re.S)
chinese = re.compile(r"[\u4e00-\u9fff]")
allowed = set()
source_root = None
if len(sys.argv) > 3:
    source_root = sys.argv[3]
    with open(sys.argv[2], encoding="utf-8") as listed:
        for line in listed:
            if line.strip() and not line.startswith("#"):
                path, literal, _ = line.rstrip("\n").split("\t", 2)
                allowed.add((path, literal))
found = False
for root, _, files in os.walk(sys.argv[1]):
    for name in sorted(files):
        path = os.path.join(root, name)
        shown = os.path.relpath(path, source_root) if source_root else path
        with open(path, encoding="utf-8") as source:
            text = source.read()
        for match in token.finditer(text):
            literal = match.group(0)
            if not literal.startswith('"') or not chinese.search(literal):
                continue
            if (shown, "*") in allowed or (shown, literal) in allowed:
                continue
            line = text.count("\n", 0, match.start()) + 1
            print("%s:%d: %s" % (path, line, literal))
            found = True
sys.exit(1 if found else 0)
