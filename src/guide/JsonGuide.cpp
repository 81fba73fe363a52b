#include "JsonGuide.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>
#include <QUrl>

#include <algorithm>

namespace jsonguide {

QString address(const QString& urlTemplate, const QString& name, const QDate& day)
{
    QString filled = urlTemplate;
    filled.replace(QStringLiteral("{name}"), QString::fromLatin1(QUrl::toPercentEncoding(name)));
    filled.replace(QStringLiteral("{date:compact}"), day.toString(QStringLiteral("yyyyMMdd")));
    filled.replace(QStringLiteral("{date}"), day.toString(Qt::ISODate));
    return filled;
}

std::vector<Programme> programmes(const QByteArray& answer, const QDate& day, int zoneMinutes)
{
    std::vector<Programme> found;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(answer, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return found;
    const QJsonArray listed = document.object().value(QLatin1String("epg_data")).toArray();
    constexpr qint64 kJulianDayOf1970 = 2440588;
    const qint64 midnight = (day.toJulianDay() - kJulianDayOf1970) * 86400 - qint64(zoneMinutes) * 60;
    const auto secondsOf = [](const QString& text) -> std::optional<qint64> {
        const QTime time = QTime::fromString(text.trimmed(), text.trimmed().size() > 5 ? QStringLiteral("H:mm:ss")
                                                                                         : QStringLiteral("H:mm"));
        return time.isValid() ? std::optional<qint64>(time.msecsSinceStartOfDay() / 1000) : std::nullopt;
    };
    for (const QJsonValue& value : listed) {
        const QJsonObject slot = value.toObject();
        const auto start = secondsOf(slot.value(QLatin1String("start")).toString());
        const auto end = secondsOf(slot.value(QLatin1String("end")).toString());
        const QString title = slot.value(QLatin1String("title")).toString().trimmed().left(1000);
        if (!start || title.isEmpty())
            continue;
        Programme programme{midnight + *start, 0, title, slot.value(QLatin1String("desc")).toString().left(1000)};
        if (end)
            programme.stop = midnight + *end + (*end <= *start ? 86400 : 0);
        found.push_back(std::move(programme));
    }
    // A channel the service does not know: the same title every hour of the day.
    const bool placeholder = found.size() >= 24 && std::all_of(found.begin(), found.end(), [](const Programme& p) {
                                 return p.title == QStringLiteral("精彩节目");
                             });
    if (placeholder)
        found.clear();
    return found;
}

} // namespace jsonguide
