#!/usr/bin/env bash
# Takes the README's screenshot: the built player with the sample list on a
# private 1920 x 1080 Xvfb screen, playing its second entry, cropped to the
# centred window. Needs imagemagick's import.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${1:-$root/docs/screenshot.png}"
program="${CLIPVANE_BUILD_DIR:-$root/build}/src"
"$root/scripts/sample-list.sh" "$program"
"$root/tests/with-xvfb.sh" bash -c '
    "$0/clipvane" & app=$!
    xdotool search --sync --onlyvisible --pid "$app" >/dev/null
    sleep 1
    xdotool mousemove 1206 410 click --repeat 2 --delay 80 1
    sleep 3
    import -window root -crop 707x415+606+332 "$1"
    kill "$app"' "$program" "$out"
