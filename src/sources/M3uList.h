#pragma once

#include "PlaySource.h"

#include <QString>

// M3U channel lists, read into the same pairs a text list gives: each
// channel as its name and address, a group heading ("group,#genre#") wherever
// the group changes, headers as the address's "|User-Agent=…&Referer=…"
// suffix, relative paths made whole from the list's folder. So an M3U list
// plays exactly as the equivalent text list would.
//
//   #EXTM3U
//   #EXTINF:-1 tvg-name="CCTV1" group-title="央视",CCTV-1 综合
//   #EXTVLCOPT:http-user-agent=okhttp
//   http://192.0.2.1/cctv1.m3u8

// The text begins with "#EXTM3U" (after blanks).
bool startsLikeM3u(const QString& text);
// An HLS playlist (#EXT-X- tags) whose #EXTINF lines name no channel: a
// stream to play, not a list of channels.
bool isHlsPlaylist(const QString& text);
// The entries of an M3U list whose relative paths are relative to folder.
PlaySourceFile parseM3u(const QString& text, const QString& folder);
