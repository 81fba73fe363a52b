#!/usr/bin/env python3
"""Include circles among the files of one folder: a header and its source
count as one unit, so a.cpp including b.h while b.cpp includes a.h is a
circle. Prints each circle found and exits 1 when there is one.

    include_cycles.py FOLDER NAME_PREFIX

NAME_PREFIX is how the folder's headers are included from elsewhere
("ui/"); includes relative to the folder itself count too."""
import os
import re
import sys

folder, prefix = sys.argv[1], sys.argv[2]
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
units = {}
for root, _, files in os.walk(folder):
    for name in files:
        if name.endswith((".h", ".cpp")):
            path = os.path.join(root, name)
            unit = os.path.splitext(os.path.relpath(path, folder))[0]
            units.setdefault(unit, set())
            with open(path, encoding="utf-8") as text:
                for included in include.findall(text.read()):
                    here = os.path.relpath(os.path.join(os.path.dirname(path), included), folder)
                    for candidate in (included[len(prefix):] if included.startswith(prefix) else None, here):
                        if candidate and os.path.exists(os.path.join(folder, candidate)):
                            target = os.path.splitext(candidate)[0]
                            if target != unit:
                                units[unit].add(target)
                            break

# Tarjan's strongly connected components: a component of more than one unit is a circle.
index, low, stack, on_stack, circles = {}, {}, [], set(), []
counter = [0]
sys.setrecursionlimit(10000)


def visit(unit):
    index[unit] = low[unit] = counter[0]
    counter[0] += 1
    stack.append(unit)
    on_stack.add(unit)
    for other in sorted(units.get(unit, ())):
        if other not in index:
            visit(other)
            low[unit] = min(low[unit], low[other])
        elif other in on_stack:
            low[unit] = min(low[unit], index[other])
    if low[unit] == index[unit]:
        component = []
        while True:
            member = stack.pop()
            on_stack.discard(member)
            component.append(member)
            if member == unit:
                break
        if len(component) > 1:
            circles.append(sorted(component))


for unit in sorted(units):
    if unit not in index:
        visit(unit)
for circle in circles:
    print("include circle in %s: %s" % (folder, ", ".join(circle)))
sys.exit(1 if circles else 0)
