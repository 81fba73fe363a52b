#pragma once

#include <QLatin1StringView>
#include <QStringView>
#include <QtGlobal>

#include <optional>

namespace xmltv {

// The instant an XMLTV time names, in seconds since 1970 UTC. Written
// "YYYYMMDDhhmmss +zzzz": seconds, minutes and hours may be left off, and so
// may the offset, which then is UTC (as XMLTV's DTD says). "Z", "UTC" and
// "GMT" are UTC too. `correctionMinutes` is added for guides whose times are
// off by a zone. Empty when the text is no such time.
std::optional<qint64> parseTime(QStringView text, int correctionMinutes = 0);
// The same read from bytes as they stand in the document: the time is ASCII.
std::optional<qint64> parseTime(QLatin1StringView text, int correctionMinutes = 0);

} // namespace xmltv
