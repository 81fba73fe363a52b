#!/usr/bin/env bash
# Writes the README's table of settings again from the program's own table
# (src/core/settings/SettingsTable.cpp), between its two markers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CLIPVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target print_settings_table >/dev/null
table=$("$build/tests/print_settings_table")
TABLE="$table" python3 - "$root/README.md" <<'PY'
import os, re, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
begin, end = "<!-- settings-table:begin -->", "<!-- settings-table:end -->"
head, rest = text.split(begin, 1)
_, tail = rest.split(end, 1)
open(path, "w", encoding="utf-8").write(head + begin + "\n" + os.environ["TABLE"] + "\n" + end + tail)
PY
