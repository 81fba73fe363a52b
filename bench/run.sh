#!/usr/bin/env bash
# Installs what the benchmarks need, builds in Release, runs every benchmark
# on a private Xvfb screen and prints one table; also writes bench/RESULTS.md.
#   bash bench/run.sh [runs]     (default 7)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs="${1:-7}"
"$root/scripts/deps.sh" --tests
missing=()
for p in libmpv-dev python3 dbus-daemon pulseaudio pulseaudio-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=(); [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
build="$root/build-release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target clipvane bench_list_load bench_player_frames bench_process_probe \
    bench_minimal_window bench_bare_libvlc bench_switch_soak bench_guide_load bench_account_list bench_guide_grid clipvane_guide clipvane_streams \
    $(pkg-config --exists mpv && echo bench_bare_mpv)
# The benchmarks that drive the engine themselves find the RTSP module here.
export CLIPVANE_STREAM_MODULE="$build/src/libclipvane_streams.so"
switches="${BENCH_SOAK_SWITCHES:-1000}"
seed="${BENCH_SEED:-$RANDOM}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clip() { # name colour seconds format-args…
    local name=$1 colour=$2 seconds=$3; shift 3
    ffmpeg -loglevel error -y -f lavfi -i "color=c=$colour:size=320x240:rate=25" \
        -f lavfi -i "sine=frequency=440:sample_rate=48000" -t "$seconds" -c:v libx264 -preset veryfast \
        -pix_fmt yuv420p -g 25 -c:a aac "$@" "$work/$name"
}
clip red.mp4 red 8 -movflags +faststart
clip blue.mp4 blue 8 -movflags +faststart
clip red.ts red 8 -f mpegts
clip blue.ts blue 8 -f mpegts
clip long.mp4 red 30 -movflags +faststart

# A live channel over HTTP, the one opened ahead while the first entry plays.
python3 "$root/tests/support/live_stream_server.py" "$work/blue.ts" 8 >"$work/live-port" &
live=$!
trap 'kill $live 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [[ -s "$work/live-port" ]] && break; sleep 0.1; done
live_port=$(head -n 1 "$work/live-port")

# The player in a folder of its own, with a 20-entry list (the first entry a
# clip, the second the live channel).
app="$work/app"
mkdir -p "$app"
# With the RTSP module, as installed; without the guide's (the list names no guide).
cp "$build/src/clipvane" "$build/src/clipvane.png" "$build/src/libclipvane_streams.so" "$app/"
{
    printf '红色,%s\r\n' "$work/long.mp4"
    printf '直播,http://127.0.0.1:%s/live.ts\r\n' "$live_port"
    for i in $(seq 3 20); do printf '频道 %d,http://127.0.0.1:9/live/%d.ts\r\n' "$i" "$i"; done
} >"$app/澄影播放源.txt"
# The same player with a live channel as its first entry, for what a live
# channel costs while it plays, plays behind live and records.
live_app="$work/live-app"
mkdir -p "$live_app"
cp "$app/clipvane" "$app/clipvane.png" "$app/libclipvane_streams.so" "$live_app/"
printf '直播,http://127.0.0.1:%s/live.ts\r\n' "$live_port" >"$live_app/澄影播放源.txt"
# Settings without channels opened ahead, for the figures that compare the plain player.
plain="$work/plain-config"
mkdir -p "$plain/clipvane"
printf '[General]\npreopen=off\n' >"$plain/clipvane/clipvane.conf"
# No settings at all, for start-up and idle: no channel remembered from an earlier
# run, which would be opened ahead at start (measured by start_enter_*).
fresh="$work/fresh-config"
mkdir -p "$fresh"

# The raw figures stay beside the build, for a second look.
results="$build/bench-results.txt"
# A D-Bus session and a sound server as on a desktop: without a bus, libvlc's
# screen-saver inhibition tries to autolaunch one every time a video output
# opens; without a sound server every engine probes for sound hardware at each
# open, libmpv losing about 100 ms to it, libvlc less.
session=(dbus-run-session -- "$root/bench/with-sound-server.sh")
"$root/tests/with-xvfb.sh" "${session[@]}" bash -s >"$results" <<SCRIPT
set -u
b="$build/bench"
for i in \$(seq $runs); do
    XDG_CONFIG_HOME="$fresh" "\$b/bench_process_probe" startup clipvane startup "$app/clipvane"
    "\$b/bench_process_probe" startup minimal startup "\$b/bench_minimal_window"
done
"\$b/bench_player_frames" $runs "$work/red.mp4" "$work/blue.mp4" "$work/red.ts" "$work/blue.ts"
BENCH_SUBJECT=clipvane_vlc CLIPVANE_LIVE=vlc "\$b/bench_player_frames" $runs "$work/red.mp4" "$work/blue.mp4" "$work/red.ts" "$work/blue.ts"
"\$b/bench_player_frames" ready $runs "$work/red.mp4" "$work/blue.mp4" "$work/red.ts" "$work/blue.ts"
"\$b/bench_bare_libvlc" frames $runs "$work/red.mp4" "$work/blue.mp4" "$work/red.ts" "$work/blue.ts"
[[ ! -x "\$b/bench_bare_mpv" ]] || "\$b/bench_bare_mpv" frames $runs "$work/red.mp4" "$work/blue.mp4" "$work/red.ts" "$work/blue.ts"
for i in 1 2 3; do
    XDG_CONFIG_HOME="$fresh" "\$b/bench_process_probe" idle clipvane cost 10 "$app/clipvane"
    "\$b/bench_process_probe" idle minimal cost 10 "\$b/bench_minimal_window"
    XDG_CONFIG_HOME="$plain" "\$b/bench_process_probe" playing clipvane cost 10 play "$app/clipvane"
    "\$b/bench_process_probe" playing_standby clipvane cost 10 play "$app/clipvane"
    XDG_CONFIG_HOME="$plain" "\$b/bench_process_probe" live_playing clipvane cost 10 play "$live_app/clipvane"
    XDG_CONFIG_HOME="$plain" CLIPVANE_LIVE=vlc "\$b/bench_process_probe" live_playing clipvane_vlc cost 10 play "$live_app/clipvane"
    XDG_CONFIG_HOME="$plain" "\$b/bench_process_probe" live_behind clipvane cost 10 play hold "$live_app/clipvane"
    XDG_CONFIG_HOME="$plain" "\$b/bench_process_probe" live_recording clipvane cost 10 play record "$live_app/clipvane"
done
"\$b/bench_list_load" $runs
"\$b/bench_guide_grid" $runs
"\$b/bench_switch_soak" $switches $seed "$work/red.mp4" "$work/blue.mp4" "$work/red.ts"
"\$b/bench_bare_libvlc" soak $switches $seed "$work/red.mp4" "$work/blue.mp4" "$work/red.ts"
true
SCRIPT
# The references' playing cost, each in its own window (no title bar to wait for),
# and whether every subject's sound reaches the sound server.
"$root/tests/with-xvfb.sh" "${session[@]}" bash -s >>"$results" <<SCRIPT
streams() { pactl list sink-inputs | grep -c "application.process.id = \"\$1\"" || true; }
"$app/clipvane" & pid=\$!
xdotool search --sync --onlyvisible --pid \$pid >/dev/null
sleep 1
xdotool mousemove 1206 394 click --repeat 2 --delay 60 1
sleep 4
echo "sound_server_streams clipvane \$(streams \$pid)"
kill \$pid; wait \$pid 2>/dev/null
for subject in libvlc libmpv; do
    program="$build/bench/bench_bare_\$subject"; [[ \$subject == libvlc ]] || program="$build/bench/bench_bare_mpv"
    [[ -x "\$program" ]] || continue
    for i in 1 2 3; do
        "\$program" play "$work/long.mp4" & pid=\$!
        sleep 4
        [[ \$i != 1 ]] || echo "sound_server_streams \$subject \$(streams \$pid)"
        before=\$(awk '{print \$14+\$15}' /proc/\$pid/stat)
        sleep 10
        after=\$(awk '{print \$14+\$15}' /proc/\$pid/stat)
        rss=\$(awk '/VmRSS/ {print \$2/1024}' /proc/\$pid/status)
        echo "playing_cpu \$subject \$(( (after - before) * 1000 / \$(getconf CLK_TCK) / 10 ))"
        echo "playing_rss \$subject \$rss"
        kill \$pid; wait \$pid 2>/dev/null
    done
done
true
SCRIPT

# The programme guide needs no window: a big guide, beside Python's way.
"$build/bench/bench_guide_load" "$(( runs < 3 ? runs : 3 ))" >>"$results"
"$build/bench/bench_account_list" "$(( runs < 3 ? runs : 3 ))" >>"$results"
table=$(python3 "$root/bench/report.py" "$results")
echo "$table"
{
    echo "# Benchmark results"
    echo
    echo "Produced by \`bash bench/run.sh $runs\` on $(date -u +%Y-%m-%d)."
    echo
    echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/Mem:/ {print $2}') GiB;"
    echo "$(. /etc/os-release; echo "$PRETTY_NAME"); libvlc $(pkg-config --modversion libvlc), libmpv $(pkg-config --modversion mpv 2>/dev/null || echo -),"
    echo "Qt $(pkg-config --modversion Qt6Core); Xvfb 1920 × 1080 × 24, no GPU, no sound card: a PulseAudio server with a"
    echo "null sink stands in for a desktop's; 320 × 240 H.264 clips into a 557 × 344 window. Switch storm: $switches switches, seed $seed."
    echo
    echo "Medians, with (min–max, number of runs). Times in milliseconds; ratios are Clipvane's median over the reference's."
    echo
    echo "$table"
    echo
    cat "$root/bench/FINDINGS.md"
} >"$root/bench/RESULTS.md"
