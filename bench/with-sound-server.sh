#!/usr/bin/env bash
# Runs a command with a PulseAudio server of its own (a null sink, no sound
# card needed) in $XDG_RUNTIME_DIR, as a desktop has one: without a server
# every engine probes for sound hardware at each open, each at its own price.
set -euo pipefail
: "${XDG_RUNTIME_DIR:?needs a runtime folder of its own}"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
    -L module-null-sink -L module-native-protocol-unix 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl info >/dev/null 2>&1 || { echo "the sound server did not start" >&2; exit 1; }
"$@"
