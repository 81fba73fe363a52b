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
log="$runtime/output"
set +e
dbus-run-session -- "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e
# Under AddressSanitizer, LeakSanitizer's own tracer now and then crashes while
# it stops the threads at exit ("Tracer caught signal 11", then "LeakSanitizer
# has encountered a fatal error"): no leak report and not the program's fault,
# yet the exit status says failure. Such a run, and only such, goes once more
# from a clean home.
if [[ $status -ne 0 ]] && grep -q "LeakSanitizer has encountered a fatal error" "$log"; then
    echo "with-xvfb.sh: LeakSanitizer's tracer failed, not the test; running it once more" >&2
    rm -rf "$HOME"
    mkdir -p "$HOME"
    dbus-run-session -- "$@"
    exit
fi
exit "$status"
