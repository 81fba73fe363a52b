#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The conventions that channel lists carry on top of "name,address", read
// from the pairs the cutting rule produces. An address as written stays as
// written in the list; it is read this way when its entry is played.
//
//   央视频道,#genre#                               a group heading, never played
//   CCTV-1,http://a/1.m3u8#http://b/1.m3u8         two addresses: the second if the first fails
//   CCTV-1,http://c/1.m3u8$线路3                   the address of the line named 线路3
//   CCTV-2,http://d/2.m3u8|User-Agent=okhttp&Referer=http://x/   HTTP headers the server wants
//   CCTV-1,… on several lines in a row            one channel from several sources

// One address of a channel, read from the way it was written.
struct ChannelAddress {
    QString address;
    QString label;     // after "$": the line's name
    QString userAgent; // from "|User-Agent=…" (or UA=…)
    QString referrer;  // from "|Referer=…" (or Referrer=…)
    bool operator==(const ChannelAddress&) const = default;
};

// "#genre#", blanks around it and letter case ignored.
bool isGroupHeading(const QString& address);
// The text written after the name, cut at each "#" that a scheme and "://"
// follow; any other "#" (a fragment, a file name, a password) stays.
QStringList splitAlternates(const QString& written);
// One alternate: its "|" headers at the end and its "$" label taken off (a
// network address only: a local path is taken as it stands).
ChannelAddress readAlternate(const QString& alternate);
// Where an alternate's "|" headers begin (its last "|" followed by key=value
// pairs only, in a network address); -1 when it has none.
qsizetype headersStart(const QString& alternate);

// What entry `index` plays: its own addresses first, then those of the
// entries with the same name right before and after it (a run, inside one
// group), in list order. Headings and empty addresses give nothing.
std::vector<ChannelAddress> channelAddresses(const QStringList& names, const QStringList& addresses, int index);

// The "|" suffix that carries headers, as a list written by hand would put it.
QString headerSuffix(const QString& userAgent, const QString& referrer);
