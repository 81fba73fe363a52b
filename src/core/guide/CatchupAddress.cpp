#include "core/guide/CatchupAddress.h"

#include "core/CoreLog.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <limits>

namespace {

constexpr int kDefaultDays = 7;
constexpr int kMostDays = 365;

int readDays(const QString& written)
{
    bool ok = false;
    const int days = written.trimmed().toInt(&ok);
    // Nothing, 0 or nonsense: the usual week.
    return ok && days > 0 ? std::min(days, kMostDays) : kDefaultDays;
}

// An addition to a channel's address: its "?" becomes "&" when the address has a query already.
QString appended(const QString& channelAddress, QString addition)
{
    if (addition.startsWith(u'?') && channelAddress.contains(u'?'))
        addition[0] = u'&';
    return channelAddress + addition;
}

// The address a server of that kind answers for a programme, made from the live one.
std::optional<QString> flussonicTemplate(const QString& channelAddress)
{
    // http://host/channel/index.m3u8?token=x, …/mono.m3u8, …/mpegts
    static const QRegularExpression shape(
        QStringLiteral(R"(^(https?://[^/]+)/(.*)/([^/]*)(mpegts|\.m3u8)(\?.+=.+)?$)"));
    const QRegularExpressionMatch found = shape.match(channelAddress);
    if (!found.hasMatch())
        return std::nullopt;
    const QString query = found.captured(5);
    const QString base = found.captured(1) + u'/' + found.captured(2) + u'/';
    if (found.captured(4) == u"mpegts")
        return base + QStringLiteral("timeshift_abs-{utc}.ts") + query;
    if (found.captured(3) == u"index")
        return base + QStringLiteral("timeshift_rel-{offset:1}.m3u8") + query;
    return base + found.captured(3) + QStringLiteral("-timeshift_rel-{offset:1}.m3u8") + query;
}

std::optional<QString> xtreamTemplate(const QString& channelAddress)
{
    // http://host/live/user/password/1234.ts, or without "live/" and the extension
    static const QRegularExpression shape(
        QStringLiteral(R"(^(https?://[^/]+)/(?:live/)?([^/]+)/([^/]+)/([^/.]+)(\.m3u8?|\.ts)?$)"));
    const QRegularExpressionMatch found = shape.match(channelAddress);
    if (!found.hasMatch())
        return std::nullopt;
    const QString extension = found.captured(5).startsWith(QLatin1String(".m3u")) ? QStringLiteral(".m3u8")
                                                                                    : QStringLiteral(".ts");
    return found.captured(1) + QStringLiteral("/timeshift/") + found.captured(2) + u'/' + found.captured(3) +
           QStringLiteral("/{duration:60}/{Y}-{m}-{d}:{H}-{M}/") + found.captured(4) + extension;
}

void say(QString* why, const QString& text)
{
    if (why)
        *why = text;
}

// Zones lie within 14 hours of UTC; a setting or a list that says more is held to that.
QDateTime inZone(qint64 time, int zoneMinutes)
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone(std::clamp(zoneMinutes, -14 * 60, 14 * 60) * 60));
}

// The service's time of `time`: by its zone's name when the rule has one.
QDateTime inServiceZone(qint64 time, const CatchupRule& rule)
{
    if (!rule.zoneName.isEmpty())
        return QDateTime::fromSecsSinceEpoch(time, QTimeZone(rule.zoneName.toUtf8()));
    return inZone(time, rule.zoneGiven ? rule.zoneMinutes : 0);
}

// "YmdHMS"-style: each of those letters stands for its field, anything else as it stands.
QString formatLetters(const QDateTime& time, QStringView format)
{
    QString out;
    for (const QChar letter : format) {
        switch (letter.unicode()) {
        case u'Y': out += time.toString(u"yyyy"); break;
        case u'm': out += time.toString(u"MM"); break;
        case u'd': out += time.toString(u"dd"); break;
        case u'H': out += time.toString(u"HH"); break;
        case u'M': out += time.toString(u"mm"); break;
        case u'S': out += time.toString(u"ss"); break;
        default: out += letter;
        }
    }
    return out;
}

} // namespace

std::optional<CatchupRule> catchupRuleFor(const QString& channelAddress, const ChannelTags& entry, const ListTags& list,
                                          const CatchupSettings& settings, QString* why)
{
    CatchupRule rule;
    rule.kind = (entry.catchup.isEmpty() ? list.catchup : entry.catchup).trimmed().toLower();
    QString source = (entry.catchupSource.isEmpty() ? list.catchupSource : entry.catchupSource).trimmed();
    rule.days = readDays(entry.catchupDays.isEmpty() ? list.catchupDays : entry.catchupDays);
    if (rule.kind.isEmpty() && source.isEmpty()) {
        source = settings.source.trimmed();
        if (source.isEmpty())
            return std::nullopt;
    }
    if (settings.zoneMinutes) {
        rule.zoneMinutes = *settings.zoneMinutes;
        rule.zoneGiven = true;
    }
    // A zone the service itself gave wins over the setting, which is for every list.
    if (!list.catchupZone.isEmpty()) {
        if (QTimeZone(list.catchupZone.toUtf8()).isValid()) {
            rule.zoneName = list.catchupZone;
            rule.zoneGiven = true;
        } else {
            qCInfo(lcCatchup) << "the service's zone" << list.catchupZone << "is not known; catch-up times"
                              << (settings.zoneMinutes ? "in the zone of the settings" : "in UTC");
        }
    }
    // A template with no kind: a whole address, or something to add to the channel's.
    if (rule.kind.isEmpty())
        rule.kind = source.contains(QLatin1String("://")) ? QStringLiteral("default") : QStringLiteral("append");
    if (rule.kind == u"default" || rule.kind == u"append") {
        if (source.isEmpty()) {
            say(why, QStringLiteral("catch-up \"%1\" without a catchup-source").arg(rule.kind));
            return std::nullopt;
        }
        rule.address = rule.kind == u"default" ? source : appended(channelAddress, source);
    } else if (rule.kind == u"shift" || rule.kind == u"timeshift") {
        rule.address = appended(channelAddress, QStringLiteral("?utc={utc}&lutc={lutc}"));
    } else if (rule.kind == u"flussonic" || rule.kind == u"flussonic-hls" || rule.kind == u"flussonic-ts" ||
               rule.kind == u"fs") {
        const std::optional<QString> made = flussonicTemplate(channelAddress);
        if (!made) {
            say(why, QStringLiteral("the address has not the shape flussonic catch-up needs"));
            return std::nullopt;
        }
        rule.address = *made;
    } else if (rule.kind == u"xc") {
        const std::optional<QString> made = xtreamTemplate(channelAddress);
        if (!made) {
            say(why, QStringLiteral("the address has not the shape xc catch-up needs"));
            return std::nullopt;
        }
        rule.address = *made;
    } else {
        say(why, QStringLiteral("catch-up \"%1\" is not known").arg(rule.kind));
        return std::nullopt;
    }
    return rule;
}

namespace {

// Seconds from `from` to `to`, never below 0, the largest there is where the
// difference would pass it: a guide's times may be anything.
qint64 secondsBetween(qint64 from, qint64 to)
{
    qint64 difference = 0;
    if (__builtin_sub_overflow(to, from, &difference))
        return to > from ? std::numeric_limits<qint64>::max() : 0;
    return std::max<qint64>(difference, 0);
}

} // namespace

QString catchupAddress(const CatchupRule& rule, qint64 start, qint64 end, qint64 now, QStringList* unknown)
{
    // "{name}", "{name:argument}", "${name}" and the Chinese lists' "${(b)FORMAT}" / "${(e)FORMAT|UTC}".
    static const QRegularExpression placeholder(QStringLiteral(R"(\$?\{(\((b|e)\)([^}|]*)(\|UTC)?|([A-Za-z]+)(?::([^}]*))?)\})"));
    const qint64 duration = secondsBetween(start, end);
    QString out;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = placeholder.globalMatch(rule.address); it.hasNext();) {
        const QRegularExpressionMatch found = it.next();
        out += QStringView(rule.address).sliced(from, found.capturedStart() - from);
        from = found.capturedEnd();
        QString value;
        bool known = true;
        if (found.hasCaptured(2)) {
            const qint64 time = found.captured(2) == u"b" ? start : end;
            const QDateTime when = found.hasCaptured(4) ? inZone(time, 0)
                                   : rule.zoneName.isEmpty() ? inZone(time, rule.zoneMinutes)
                                                             : inServiceZone(time, rule);
            value = when.toString(found.captured(3));
        } else {
            const QString name = found.captured(5);
            const QString argument = found.captured(6);
            bool numeric = false;
            const qint64 divisor = argument.isEmpty() ? 1 : argument.toLongLong(&numeric);
            const bool divides = argument.isEmpty() || (numeric && divisor > 0);
            const auto timeOf = [&](qint64 time) {
                return argument.isEmpty() ? QString::number(time) : formatLetters(inServiceZone(time, rule), argument);
            };
            if (name == u"utc" || name == u"start")
                value = timeOf(start);
            else if (name == u"utcend" || name == u"end")
                value = timeOf(end);
            else if (name == u"lutc" || name == u"now" || name == u"timestamp")
                value = timeOf(now);
            else if (name == u"duration" && divides)
                value = QString::number(duration / divisor);
            else if (name == u"offset" && divides)
                value = QString::number(secondsBetween(start, now) / divisor);
            else if (argument.isEmpty() && name.size() == 1 && QStringLiteral("YmdHMS").contains(name))
                value = formatLetters(inServiceZone(start, rule), name);
            else
                known = false;
        }
        if (!known) {
            value = found.captured(0);
            if (unknown)
                unknown->append(value);
        }
        out += value;
    }
    out += QStringView(rule.address).sliced(from);
    return out;
}

bool isWatchableBack(const Programme& programme, const CatchupRule& rule, qint64 now)
{
    return programme.start <= now && secondsBetween(programme.start, now) <= qint64(rule.days) * 86400;
}

Programme withEnd(const Programme& programme, const std::vector<Programme>& schedule)
{
    Programme asked = programme;
    if (asked.stop > asked.start)
        return asked;
    const std::optional<Programme> next = programmeAfter(programme, schedule);
    asked.stop = next && next->start > asked.start ? next->start : asked.start + 3600;
    return asked;
}

std::optional<Programme> programmeAfter(const Programme& programme, const std::vector<Programme>& schedule)
{
    const auto later = std::find_if(schedule.begin(), schedule.end(),
                                    [&](const Programme& other) { return other.start > programme.start; });
    if (later == schedule.end())
        return std::nullopt;
    return *later;
}
