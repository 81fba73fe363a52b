#!/usr/bin/env python3
"""Turns "figure subject value" lines into the benchmark table: median and
spread (min–max) of every figure per subject, the player's ratio to each
reference measured in the same run, and for the figures that have a target
whether this run met it."""
import statistics
import sys
from collections import defaultdict

UNITS = {"cpu": "ms CPU/s", "rss": "MiB", "memory": "MiB", "threads": "threads", "files": "open files",
         "streams": "streams", "seed": "seed", "mib": "MiB", "programmes": "programmes",
         "cost": "%", "cost_distinct": "%"}
ORDER = ["startup", "first_frame_local", "first_frame_http", "first_frame_live", "first_frame_rtsp", "zap_local",
         "zap_http", "zap_live", "zap_rtsp",
         "zap_ready_local", "zap_ready_http", "enter_rest_local", "enter_rest_http", "start_enter_local",
         "start_enter_http",
         "idle_cpu", "idle_rss", "playing_cpu", "playing_rss", "playing_standby_cpu", "playing_standby_rss",
         "live_playing_cpu", "live_playing_rss", "live_behind_cpu", "live_behind_rss", "live_recording_cpu",
         "live_recording_rss",
         "list_load_10000", "list_load_100000", "list_load_1000000",
         "list_memory_10000", "list_memory_100000", "list_memory_1000000",
         "m3u_load_100000", "filter_keystroke_100000", "filter_pinyin_100000", "list_refresh_100000", "list_refresh_window_held",
         "account_answers_mib", "account_list_60000",
         "soak_rss_first", "soak_rss_end", "soak_rss_growth", "soak_threads_first", "soak_threads_end",
         "soak_files_first", "soak_files_end", "soak_seed", "sound_server_streams",
         "guide_programmes", "guide_size_mib", "guide_load_xml", "guide_load_gzip", "guide_memory_growth",
         "guide_window_held", "guide_lookup_1000", "guide_search", "guide_index_cost", "guide_index_cost_distinct",
         "grid_open", "grid_scroll_frame", "grid_scroll_frame_median"]

# Targets: the figure, what the player's median must satisfy (given every
# subject's median of this figure, and every figure's of this run), and how
# the table says it.
TARGETS = {
    "startup": (lambda m, a: m["clipvane"] <= 1.15 * m["minimal"], "≤ 1.15 × Qt window + libvlc"),
    "first_frame_local": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    "first_frame_http": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    "first_frame_rtsp": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    # A live channel read by the player itself, into its time-shift buffer,
    # against the same player leaving the address to libvlc.
    "first_frame_live": (lambda m, a: m["clipvane"] <= 1.1 * m["clipvane_vlc"], "≤ 1.1 × libvlc reading it"),
    "zap_live": (lambda m, a: m["clipvane"] <= 1.1 * m["clipvane_vlc"], "≤ 1.1 × libvlc reading it"),
    "live_playing_cpu": (lambda m, a: m["clipvane"] <= 1.05 * m["clipvane_vlc"], "≤ 1.05 × libvlc reading it"),
    "zap_local": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    "zap_http": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    "zap_rtsp": (lambda m, a: m["clipvane"] <= m["libmpv"], "≤ libmpv's"),
    "idle_rss": (lambda m, a: m["clipvane"] <= 1.5 * m["minimal"], "≤ 1.5 × Qt window + libvlc"),
    "playing_cpu": (lambda m, a: m["clipvane"] <= 1.05 * m["libvlc"], "≤ 1.05 × bare libvlc"),
    "playing_standby_cpu": (lambda m, a: m["clipvane"] <= 1.6 * a["playing_cpu"]["clipvane"],
                            "≤ 1.6 × playing alone"),
    "zap_ready_local": (lambda m, a: m["clipvane"] < 0.5 * a["zap_local"]["libmpv"], "< ½ libmpv's zap_local"),
    "zap_ready_http": (lambda m, a: m["clipvane"] < 0.5 * a["zap_http"]["libmpv"], "< ½ libmpv's zap_http"),
    "soak_rss_growth": (lambda m, a: m["clipvane"] <= 50, "≤ 50 MiB"),
    "filter_keystroke_100000": (lambda m, a: m["clipvane"] < 50, "< 50 ms"),
    "list_refresh_window_held": (lambda m, a: m["clipvane"] <= 50, "≤ 50 ms"),
    "filter_pinyin_100000": (lambda m, a: m["clipvane"] <= 50, "≤ 50 ms"),
    "sound_server_streams": (lambda m, a: all(v >= 1 for v in m.values()), "every subject ≥ 1"),
    "guide_load_xml": (lambda m, a: m["clipvane"] <= 5000 and 5 * m["clipvane"] <= m["python"],
                       "≤ 5 s and ≤ ⅕ of Python's"),
    "guide_load_gzip": (lambda m, a: m["clipvane"] <= 5000 and 5 * m["clipvane"] <= m["python"],
                        "≤ 5 s and ≤ ⅕ of Python's"),
    "account_list_60000": (lambda m, a: m["clipvane"] <= 1.5 * m["python_json"], "≤ 1.5 × Python's json"),
    "guide_memory_growth": (lambda m, a: m["clipvane"] < 100, "< 100 MiB"),
    "guide_window_held": (lambda m, a: m["clipvane"] <= 50, "≤ 50 ms"),
    "guide_lookup_1000": (lambda m, a: m["clipvane"] < 5, "< 5 ms"),
    "guide_search": (lambda m, a: m["clipvane"] <= 30, "≤ 30 ms"),
    "guide_index_cost": (lambda m, a: m["clipvane"] <= 25, "≤ 25 % more"),
    "grid_open": (lambda m, a: m["clipvane"] <= 100, "≤ 100 ms"),
    "grid_scroll_frame": (lambda m, a: m["clipvane"] <= 16, "≤ 16 ms"),
}
SUBJECTS = ["clipvane", "clipvane_vlc", "libvlc", "libmpv", "minimal", "python", "python_json"]
NAMES = {"clipvane": "Clipvane", "clipvane_vlc": "Clipvane, libvlc reading live", "libvlc": "bare libvlc", "libmpv": "libmpv", "minimal": "Qt window + libvlc",
         "python": "Python iterparse + sqlite3", "python_json": "Python json"}


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
    header = ["figure", "unit"] + [NAMES[s] for s in present] + [f"ratio to {NAMES[r]}" for r in refs] + ["target"]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    figures = [f for f in ORDER if f in values] + sorted(f for f in values if f not in ORDER)
    every = {f: {s: statistics.median(r) for s, r in values[f].items() if r} for f in figures}
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
            if "clipvane" in medians and medians.get(ref) and figure != "soak_seed":
                row.append(f"{medians['clipvane'] / medians[ref]:.2f}")
            else:
                row.append("")
        target = TARGETS.get(figure)
        if target is None:
            row.append("")
        else:
            try:
                met = target[0](medians, every)
            except KeyError:
                met = False
            row.append(f"{target[1]}: {'met' if met else 'NOT met'}")
        print("| " + " | ".join(row) + " |")


main()
