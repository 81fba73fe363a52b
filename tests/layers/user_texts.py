#!/usr/bin/env python3
"""String literals holding Chinese text in the files of a folder, comments
left out: what a layer says to the user. Prints each and exits 1 when there
is one.

    user_texts.py FOLDER"""
import os
import re
import sys

token = re.compile(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*|/\*.*?\*/', re.S)
chinese = re.compile(r"[\u4e00-\u9fff]")
found = False
for root, _, files in os.walk(sys.argv[1]):
    for name in sorted(files):
        path = os.path.join(root, name)
        with open(path, encoding="utf-8") as source:
            text = source.read()
        for match in token.finditer(text):
            literal = match.group(0)
            if literal.startswith('"') and chinese.search(literal):
                line = text.count("\n", 0, match.start()) + 1
                print("%s:%d: %s" % (path, line, literal))
                found = True
sys.exit(1 if found else 0)
