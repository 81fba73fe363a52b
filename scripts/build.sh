#!/usr/bin/env bash
# Configures and builds into build/ (or $CLIPVANE_BUILD_DIR); extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${CLIPVANE_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
