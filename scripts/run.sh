#!/usr/bin/env bash
# Installs what is missing, builds and starts the player.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" -DBUILD_TESTING=OFF
program="${CLIPVANE_BUILD_DIR:-$root/build}/src"
"$root/scripts/sample-list.sh" "$program"
exec "$program/clipvane"
