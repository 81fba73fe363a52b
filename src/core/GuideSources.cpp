#include "GuideSources.h"

#include "ChannelList.h"

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

GuideSource readGuideSource(const QString& written)
{
    GuideSource source{written.trimmed(), 0};
    const qsizetype bar = source.address.lastIndexOf(u'|');
    if (bar < 0)
        return source;
    const QString option = source.address.sliced(bar + 1).trimmed();
    if (option.startsWith(QLatin1String("zone="), Qt::CaseInsensitive)) {
        if (const std::optional<int> minutes = readZoneMinutes(QStringView(option).sliced(5))) {
            source.zoneMinutes = *minutes;
            source.address = source.address.left(bar).trimmed();
        }
        return source;
    }
    if (!option.startsWith(QLatin1String("offset="), Qt::CaseInsensitive))
        return source;
    bool ok = false;
    const int minutes = option.sliced(7).trimmed().toInt(&ok);
    // More than a day either way is no zone.
    if (ok && minutes >= -24 * 60 && minutes <= 24 * 60) {
        source.correctionMinutes = minutes;
        source.address = source.address.left(bar).trimmed();
    }
    return source;
}

std::vector<GuideSource> guideSourcesFor(const ListTags& list, const QStringList& setting)
{
    std::vector<GuideSource> sources;
    for (const QString& written : list.guideAddresses.isEmpty() ? setting : list.guideAddresses) {
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
