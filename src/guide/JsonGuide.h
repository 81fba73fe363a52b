#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// The JSON guide API of Chinese TV apps: one request per channel and day to
// an address made from a template with "{name}" and "{date}"; the answer
// {"channel_name": …, "date": "2026-12-08", "epg_data": [{"start": "19:00",
// "end": "19:30", "title": …, "desc": …}]} in the service's zone.
namespace jsonguide {

// The address for a channel and a day: the name percent-encoded, the date as
// "YYYY-MM-DD", or "YYYYMMDD" where the template writes "{date:compact}".
QString address(const QString& urlTemplate, const QString& name, const QDate& day);

// The programmes of an answer for `day`, times read in the zone `zoneMinutes`
// east of UTC; a programme whose end is not after its start ends the next day.
// Empty when the answer is no such JSON, and when it is the placeholder some
// services send for a channel they do not know (hourly slots all titled
// "精彩节目").
std::vector<Programme> programmes(const QByteArray& answer, const QDate& day, int zoneMinutes);

} // namespace jsonguide
