#!/usr/bin/env bash
# Puts a sample play-source list beside the built program when it has none:
# a few short clips made with ffmpeg, Chinese names included.
#   scripts/sample-list.sh <program folder>
set -euo pipefail
folder=$(cd "$1" && pwd)
list="$folder/澄影播放源.txt"
[[ -e "$list" ]] && exit 0
clips="$folder/示例片段"
mkdir -p "$clips"

make_clip() { # file, video source, tone
    [[ -s "$clips/$1" ]] && return 0
    ffmpeg -loglevel error -y -f lavfi -i "$2" -f lavfi -i "sine=frequency=$3:sample_rate=48000" -t 20 \
        -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -movflags +faststart "$clips/$1"
}
make_clip "彩条.mp4" "smptehdbars=size=640x360:rate=25" 440
make_clip "测试图案.mp4" "testsrc2=size=640x360:rate=25" 523
make_clip "色彩渐变.mp4" "mandelbrot=size=640x360:rate=25" 659

printf '%s\r\n' \
    "彩条,$clips/彩条.mp4" \
    "测试图案,$clips/测试图案.mp4" \
    "色彩渐变,$clips/色彩渐变.mp4" >"$list"
echo "A sample list was placed at $list"
