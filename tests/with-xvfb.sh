#!/usr/bin/env bash
# Runs a command on a private Xvfb screen of 1920 x 1080 x 24, so that tests
# never need a display of their own and can run side by side.
set -euo pipefail

fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 4 -screen 0 1920x1080x24 -nolisten tcp -noreset 4>"$fifo" 2>/dev/null &
xvfb=$!
runtime=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$fifo" "$runtime"' EXIT
read -r -t 20 display <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$runtime"
# A home of its own: whatever a test writes on "the desktop" stays out of the user's.
export HOME="$runtime/home" XDG_CONFIG_HOME="$runtime/home/.config"
mkdir -p "$HOME"
# A session bus of its own, as a desktop has: without one, Qt's accessibility
# bridge makes libdbus autolaunch a bus by forking the multithreaded test, and
# under a sanitizer's allocator the child can deadlock before it execs.
dbus-run-session -- "$@"
