#!/usr/bin/env python3
"""Turns "figure subject value" lines into the benchmark table: median and
spread (min–max) of every figure per subject, and the player's ratio to each
reference measured in the same run."""
import statistics
import sys
from collections import defaultdict

UNITS = {"cpu": "ms CPU/s", "rss": "MiB", "memory": "MiB"}
ORDER = ["startup", "first_frame_local", "first_frame_http", "zap_local", "zap_http",
         "idle_cpu", "idle_rss", "playing_cpu", "playing_rss",
         "list_load_10000", "list_load_100000", "list_load_1000000",
         "list_memory_10000", "list_memory_100000", "list_memory_1000000"]
SUBJECTS = ["clipvane", "libvlc", "libmpv", "minimal"]
NAMES = {"clipvane": "Clipvane", "libvlc": "bare libvlc", "libmpv": "libmpv", "minimal": "Qt window + libvlc"}


def unit(figure):
    for key, value in UNITS.items():
        if figure.endswith(key) or key + "_" in figure:
            return value
    return "ms"


def main():
    values = defaultdict(lambda: defaultdict(list))
    for line in open(sys.argv[1], encoding="utf-8"):
        parts = line.split()
        if len(parts) != 3:
            continue
        try:
            number = float(parts[2])
        except ValueError:
            continue
        if number >= 0:
            values[parts[0]][parts[1]].append(number)

    present = [s for s in SUBJECTS if any(s in v for v in values.values())]
    refs = [s for s in present if s != "clipvane"]
    header = ["figure", "unit"] + [NAMES[s] for s in present] + [f"ratio to {NAMES[r]}" for r in refs]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    figures = [f for f in ORDER if f in values] + sorted(f for f in values if f not in ORDER)
    for figure in figures:
        row = [figure, unit(figure)]
        medians = {}
        for subject in present:
            runs = values[figure].get(subject)
            if not runs:
                row.append("")
                continue
            medians[subject] = statistics.median(runs)
            spread = f" ({min(runs):.0f}–{max(runs):.0f}, n={len(runs)})" if len(runs) > 1 else ""
            row.append(f"{medians[subject]:.1f}{spread}")
        for ref in refs:
            if "clipvane" in medians and medians.get(ref):
                row.append(f"{medians['clipvane'] / medians[ref]:.2f}")
            else:
                row.append("")
        print("| " + " | ".join(row) + " |")


main()
