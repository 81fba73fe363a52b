#include "core/guide/GuideSources.h"

#include "core/lists/ChannelList.h"

#include <QRegularExpression>

#include <algorithm>

std::optional<int> readZoneMinutes(QStringView written)
{
    // "+0800", "+08:00", "+8", "-0530"
    static const QRegularExpression zone(QStringLiteral("^([+-])(\\d{1,2}):?(\\d{2})?$"));
    const QRegularExpressionMatch found = zone.match(written.trimmed().toString());
    if (!found.hasMatch())
        return std::nullopt;
    const int minutes = found.captured(2).toInt() * 60 + found.captured(3).toInt();
    if (minutes > 14 * 60)
        return std::nullopt;
    return found.captured(1) == u'-' ? -minutes : minutes;
}

GuideSetting readGuideSetting(const QString& written)
{
    // Options are peeled off the end, so both may follow the address in either order.
    GuideSetting guide;
    guide.address = written.trimmed();
    for (qsizetype bar = guide.address.lastIndexOf(u'|'); bar >= 0; bar = guide.address.lastIndexOf(u'|')) {
        const QString option = guide.address.sliced(bar + 1).trimmed();
        if (option.startsWith(QLatin1String("zone="), Qt::CaseInsensitive)) {
            const QString zone = option.sliced(5).trimmed();
            if (!readZoneMinutes(zone)) {
                guide.problem = GuideSetting::Problem::Zone;
                guide.unread = zone;
            }
            guide.zone = zone;
        } else if (option.startsWith(QLatin1String("offset="), Qt::CaseInsensitive)) {
            bool ok = false;
            const int minutes = option.sliced(7).trimmed().toInt(&ok);
            // More than a day either way is no zone.
            if (!ok || minutes < -24 * 60 || minutes > 24 * 60) {
                guide.problem = GuideSetting::Problem::Offset;
                guide.unread = option.sliced(7).trimmed();
            } else {
                guide.offsetMinutes = minutes;
            }
        } else {
            break;
        }
        guide.address = guide.address.left(bar).trimmed();
    }
    return guide;
}

QString writeGuideSetting(const QString& address, int offsetMinutes, const QString& zone)
{
    QString written = address.trimmed();
    if (offsetMinutes != 0)
        written += QStringLiteral("|offset=%1").arg(offsetMinutes);
    if (!zone.trimmed().isEmpty())
        written += QStringLiteral("|zone=%1").arg(zone.trimmed());
    return written;
}

GuideSource readGuideSource(const QString& written)
{
    const GuideSetting guide = readGuideSetting(written);
    // An option that cannot be read stays part of the address, as it always did.
    if (guide.problem != GuideSetting::Problem::None)
        return GuideSource{written.trimmed(), 0};
    GuideSource source{guide.address, guide.offsetMinutes};
    if (const std::optional<int> zone = readZoneMinutes(guide.zone))
        source.zoneMinutes = *zone;
    return source;
}

std::vector<GuideSource> guideSourcesFor(const ListTags& list, const QStringList& setting)
{
    std::vector<GuideSource> sources;
    const bool userNamedOne =
        std::any_of(setting.begin(), setting.end(), [](const QString& one) { return !one.trimmed().isEmpty(); });
    const QStringList chosen = !list.guideAddresses.isEmpty()                  ? list.guideAddresses
                               : userNamedOne || list.serviceGuide.isEmpty() ? setting
                                                                               : QStringList{list.serviceGuide};
    for (const QString& written : chosen) {
        const GuideSource source = readGuideSource(written);
        const bool repeated = std::any_of(sources.begin(), sources.end(),
                                          [&](const GuideSource& kept) { return kept.address == source.address; });
        if (!source.address.isEmpty() && !repeated)
            sources.push_back(source);
    }
    return sources;
}

GuideRequest guideRequestFor(const ChannelList& list, const QStringList& setting)
{
    GuideRequest request;
    request.guides = guideSourcesFor(list.listTags(), setting);
    const auto days = [](const QString& written) { return written.trimmed().toInt(); };
    request.keepDays = std::max(request.keepDays, days(list.listTags().catchupDays));
    request.entries.reserve(size_t(list.count()));
    for (int index = 0; index < list.count(); ++index) {
        if (list.isHeading(index)) {
            request.entries.push_back({});
            continue;
        }
        const ChannelTags& tags = list.tags(index);
        request.entries.push_back({tags.tvgId, tags.tvgName, list.name(index), tags.tvgLogo});
        request.keepDays = std::max(request.keepDays, days(tags.catchupDays));
    }
    // A month at most: a list that says more asks for a guide no server keeps.
    request.keepDays = std::min(request.keepDays, 31);
    return request;
}
