#!/usr/bin/env bash
# Takes the README's screenshot: the built player on a private 1920 x 1080 Xvfb
# screen, cropped to its centred window. Needs imagemagick's import.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${1:-$root/docs/screenshot.png}"
"$root/tests/with-xvfb.sh" bash -c '
    "$0" & app=$!
    xdotool search --sync --onlyvisible --pid "$app" >/dev/null
    sleep 1
    import -window root -crop 707x415+606+332 "$1"
    kill "$app"' "${CLIPVANE_BUILD_DIR:-$root/build}/src/clipvane" "$out"
