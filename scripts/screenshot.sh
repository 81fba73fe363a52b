#!/usr/bin/env bash
# Takes a README screenshot: the built player on a private 1920 x 1080 Xvfb
# screen, cropped to the centred window. Needs imagemagick's import.
#   scripts/screenshot.sh [out.png]           the sample list, its second entry playing
#   scripts/screenshot.sh out.png groups      a list with group headings, a channel of it playing
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${1:-$root/docs/screenshot.png}"
kind="${2:-sample}"
program="${CLIPVANE_BUILD_DIR:-$root/build}/src"
"$root/scripts/sample-list.sh" "$program"
folder="$program"
entry_y=410 # the second entry of the list
if [[ $kind == groups ]]; then
    # A copy of the program beside a grouped list, so the sample list stays as it is.
    folder=$(mktemp -d)
    trap 'rm -rf "$folder"' EXIT
    cp "$program/clipvane" "$program/clipvane.png" "$folder/"
    clips="$program/示例片段"
    printf '%s\r\n' \
        "央视频道,#genre#" \
        "CCTV-1 综合,http://192.0.2.1/cctv1.m3u8\$线路1#http://192.0.2.2/cctv1.m3u8\$线路2" \
        "CCTV-5 体育,http://192.0.2.1/cctv5.m3u8" \
        "卫视频道,#genre#" \
        "湖南卫视,http://192.0.2.1/hunan.m3u8|User-Agent=okhttp" \
        "浙江卫视,http://192.0.2.1/zhejiang.m3u8" \
        "本地片段,#genre#" \
        "彩条,$clips/彩条.mp4" \
        "测试图案,$clips/测试图案.mp4" >"$folder/澄影播放源.txt"
    entry_y=507 # 测试图案, the ninth row
fi
"$root/tests/with-xvfb.sh" bash -c '
    "$0/clipvane" & app=$!
    xdotool search --sync --onlyvisible --pid "$app" >/dev/null
    sleep 1
    xdotool mousemove 1206 "$2" click --repeat 2 --delay 80 1
    sleep 3
    import -window root -crop 707x415+606+332 "$1"
    kill "$app"' "$folder" "$out" "$entry_y"
