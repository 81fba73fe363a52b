#pragma once

#include "PlaySource.h"

#include <QByteArray>

// A list written back out, in UTF-8 with CRLF line ends: as a text list
// ("name,address", a heading "name,#genre#") or as M3U (#EXTM3U with the
// list's tags, each channel's #EXTINF with its tags and its group). Either
// reads back into the same entries.
QByteArray writeTextList(const PlaySourceList& entries);
QByteArray writeM3uList(const PlaySourceList& entries, const ListTags& listTags);
// What an M3U attribute keeps of a value: quotes cannot be escaped in M3U and
// are left out.
QString m3uAttribute(QString value);
