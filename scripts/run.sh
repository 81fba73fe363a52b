#!/usr/bin/env bash
# Installs what is missing, builds and starts the player.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" -DCLIPVANE_TESTS=OFF
exec "${CLIPVANE_BUILD_DIR:-$root/build}/src/clipvane"
