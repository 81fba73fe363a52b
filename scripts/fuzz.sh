#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time: the play-source
# reader, and the guide's gzip and XMLTV readers.
#   scripts/fuzz.sh [seconds]        (default 30, each)
# Exits non-zero when it finds a crash, a hang or a leak.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-30}"
out="${CLIPVANE_FUZZ_DIR:-$root/build-fuzz}"
mkdir -p "$out/corpus" "$out/seeds" "$out/xmltv-corpus" "$out/xmltv-seeds"

clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "$root/tests/fuzz/fuzz_playsource.cpp" "$root/src/sources/PlaySourceText.cpp" "$root/src/sources/PlaySourceBytes.cpp" \
    "$root/src/sources/ChannelAddress.cpp" "$root/src/sources/M3uList.cpp" "$root/src/platform/UriScheme.cpp" \
    $(pkg-config --libs Qt6Core) -o "$out/fuzz_playsource"

# Seeds: the shapes a real list takes, after four bytes that choose the pieces.
printf 'seed央视,#genre#\r\nCCTV-1,http://a/1$线路1#http://b/1|User-Agent=ok&Referer=http://x/\r\nCCTV-1,http://c/1\r\n' >"$out/seeds/conventions"
printf 'seed#EXTM3U\n#EXTINF:-1 tvg-name="a,b" group-title="央视",CCTV-1\n#EXTVLCOPT:http-user-agent=ok\nhttp://a/1\n#EXTGRP:x\nrel/b.ts\n' >"$out/seeds/m3u"
printf 'seed#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6.0,\nseg0.ts\n' >"$out/seeds/hls"
printf 'seedA,D:\\films\\a.mkv\r\nB,http://127.0.0.1/b.ts\r\n' >"$out/seeds/crlf"
printf 'seedA,x\nB,y\n\nC\n' >"$out/seeds/lf"
printf 'seed\xef\xbb\xbf\xe6\x96\xb0\xe9\x97\xbb,/a.mp4\r\n' >"$out/seeds/utf8-mark"
printf 'seed\xff\xfeA\x00,\x00x\x00\r\x00\n\x00' >"$out/seeds/utf16le"
printf 'seed\xd0\xc2\xce\xc5,/\xc3\xbd\xcc\xe5.mp4\r\n' >"$out/seeds/gbk"
printf 'seedA,,x\r\r\n\x00B,y' >"$out/seeds/zero"
printf 'seed\xfe\xff\x00A\x00,\x00x\x00\x00\x00B' >"$out/seeds/utf16be-zero"

clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src" $(pkg-config --cflags Qt6Core zlib expat) \
    "$root/tests/fuzz/fuzz_xmltv.cpp" "$root/src/guide/XmltvReader.cpp" "$root/src/guide/XmltvTime.cpp" "$root/src/guide/GuideLog.cpp" \
    "$root/src/guide/GzipStream.cpp" "$root/src/guide/JsonGuide.cpp" $(pkg-config --libs Qt6Core zlib expat) -o "$out/fuzz_xmltv"
printf 'seed<?xml version="1.0"?><tv><channel id="a"><display-name>CCTV1</display-name><icon src="x"/></channel>' >"$out/xmltv-seeds/guide"
printf '<programme start="20261208190000 +0800" stop="20261208193000 +0800" channel="a"><title>新闻</title><desc>d</desc></programme></tv>' >>"$out/xmltv-seeds/guide"
printf 'seed<?xml version="1.0"?><!DOCTYPE tv [<!ENTITY a "aaaa"><!ENTITY b "&a;&a;&a;">]><tv><programme start="2026" channel="&b;"><title>&b;</title></programme></tv>' >"$out/xmltv-seeds/entities"
printf 'seed' >"$out/xmltv-seeds/gzip" && printf '<tv><programme start="20261208190000" channel="a"/></tv>' | gzip -c >>"$out/xmltv-seeds/gzip"
printf 'seed<tv><programme start="20261208235800 +0800" stop="20261208001000" channel="a"><title>t</title></programme></tv>' >"$out/xmltv-seeds/midnight"

cd "$out"
./fuzz_xmltv -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 xmltv-corpus xmltv-seeds
./fuzz_playsource -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 corpus seeds
