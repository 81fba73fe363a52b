#include "XmltvTime.h"

#include <QDate>

namespace xmltv {
namespace {

// Reads `count` ASCII digits at `at`; -1 when they are not all there.
template <typename View>
int digits(View text, qsizetype at, int count)
{
    if (at + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The offset east of UTC, in seconds: "+0800", "-0530", "+08:00", "+08"; UTC by name; empty: UTC.
template <typename View>
std::optional<int> offsetSeconds(View zone)
{
    zone = zone.trimmed();
    if (zone.isEmpty() || zone.compare(QStringView(u"Z")) == 0 ||
        zone.compare(QStringView(u"UTC"), Qt::CaseInsensitive) == 0 ||
        zone.compare(QStringView(u"GMT"), Qt::CaseInsensitive) == 0)
        return 0;
    const char16_t sign = zone.front().unicode();
    if (sign != u'+' && sign != u'-')
        return std::nullopt;
    QString compact = zone.sliced(1).toString();
    compact.remove(u':');
    if (compact.size() != 2 && compact.size() != 4)
        return std::nullopt;
    const int hours = digits(compact, 0, 2);
    const int minutes = compact.size() == 4 ? digits(compact, 2, 2) : 0;
    if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return sign == u'-' ? -seconds : seconds;
}

template <typename View>
std::optional<qint64> parse(View text, int correctionMinutes)
{
    text = text.trimmed();
    // The digits first: 8 (a day) to 14 (to the second), in pairs after the year.
    qsizetype end = 0;
    while (end < text.size() && text.at(end).unicode() >= u'0' && text.at(end).unicode() <= u'9')
        ++end;
    if (end < 8 || end > 14 || end % 2 != 0)
        return std::nullopt;
    const QDate date(digits(text, 0, 4), digits(text, 4, 2), digits(text, 6, 2));
    const int hour = end >= 10 ? digits(text, 8, 2) : 0;
    const int minute = end >= 12 ? digits(text, 10, 2) : 0;
    const int second = end >= 14 ? digits(text, 12, 2) : 0;
    if (!date.isValid() || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const std::optional<int> offset = offsetSeconds(text.sliced(end));
    if (!offset)
        return std::nullopt;
    constexpr qint64 kJulianDayOf1970 = 2440588;
    const qint64 local = (date.toJulianDay() - kJulianDayOf1970) * 86400 + hour * 3600 + minute * 60 + second;
    return local - *offset + qint64(correctionMinutes) * 60;
}

} // namespace

std::optional<qint64> parseTime(QStringView text, int correctionMinutes)
{
    return parse(text, correctionMinutes);
}

std::optional<qint64> parseTime(QLatin1StringView text, int correctionMinutes)
{
    return parse(text, correctionMinutes);
}

} // namespace xmltv
