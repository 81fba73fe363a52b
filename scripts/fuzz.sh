#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a bounded time: the play-source
# reader, the guide's gzip and XMLTV readers, a provider account's answers,
# addresses and fetched bodies, a settings copy, where a recording of stream
# bytes starts, and catch-up templates. Each starts from the seeds the project keeps
# (tests/fuzz/seeds/<target>, and those written below) and the corpus it grew
# before in the build folder.
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

# A target of the project's sources: those after the first "--" are the
# readers fuzzed (with the fuzzer's coverage); those after a second "--" are
# what they call besides, built with the sanitizers alone, so that their
# functions the target never reaches are left out with what those call.
fuzz_target() { # name packages -- fuzzed… [-- besides…]
    local name=$1 packages=$2; shift 3
    local objects=() coverage="fuzzer-no-link," source object
    mkdir -p "$out/$name-objects" "$out/$name-corpus"
    for source in "$root/tests/fuzz/fuzz_$name.cpp" "$@"; do
        if [[ $source == -- ]]; then coverage=""; continue; fi
        [[ $source == /* ]] || source="$root/src/$source"
        object="$out/$name-objects/$(basename "${source%.cpp}").o"
        clang++ -std=c++20 -g -O1 -fPIC -fsanitize=${coverage}address,undefined -fno-sanitize-recover=undefined \
            -ffunction-sections -fdata-sections -I"$root/src" -I"$root/src/sources" $(pkg-config --cflags $packages) \
            -c "$source" -o "$object"
        objects+=("$object")
    done
    clang++ -fsanitize=fuzzer,address,undefined -Wl,--gc-sections "${objects[@]}" $(pkg-config --libs $packages) \
        -o "$out/fuzz_$name"
}
list_readers=(sources/PlaySourceText.cpp sources/PlaySourceBytes.cpp sources/ChannelAddress.cpp sources/M3uList.cpp
    sources/FetchedList.cpp sources/ListWriter.cpp sources/ListLocation.cpp)
fuzz_target account "Qt6Core zlib" -- sources/ProviderAccount.cpp sources/AccountState.cpp "${list_readers[@]}" \
    -- sources/SourcesLog.cpp platform/UriScheme.cpp
fuzz_target settingscopy "Qt6Core zlib" -- core/settings/SettingsCopy.cpp core/settings/SettingsTable.cpp \
    sources/ProviderAccount.cpp sources/ListLocation.cpp sources/ChannelAddress.cpp \
    -- core/settings/UserSettings.cpp core/CoreLog.cpp core/guide/GuideSources.cpp core/playback/PictureChoices.cpp \
    core/recording/RecordingPlans.cpp core/recording/Recording.cpp core/guide/Reminders.cpp sources/AccountState.cpp \
    sources/PlaySourceText.cpp sources/PlaySourceBytes.cpp sources/M3uList.cpp sources/FetchedList.cpp \
    sources/ListWriter.cpp sources/SourcesLog.cpp platform/UriScheme.cpp
fuzz_target recorder Qt6Core -- engine/TsStartPoint.cpp -- engine/EngineLog.cpp
fuzz_target catchup Qt6Core -- core/guide/CatchupAddress.cpp -- core/CoreLog.cpp

cd "$out"
# What the readers log of bad input is expected here: quiet, for speed.
export QT_LOGGING_RULES="*=false"
for name in account settingscopy recorder catchup; do
    ./fuzz_"$name" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 "$name-corpus" "$root/tests/fuzz/seeds/$name"
done
./fuzz_xmltv -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 xmltv-corpus xmltv-seeds
./fuzz_playsource -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 corpus seeds
