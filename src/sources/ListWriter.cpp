#include "ListWriter.h"

#include "ChannelAddress.h"

QString m3uAttribute(QString value)
{
    return value.remove(u'"');
}

namespace {

void attribute(QString& line, const char* key, const QString& value)
{
    if (value.isEmpty())
        return;
    line += u' ' + QLatin1String(key) + QStringLiteral("=\"") + m3uAttribute(value) + u'"';
}

} // namespace

QByteArray writeTextList(const PlaySourceList& entries)
{
    QString text;
    for (const PlaySource& entry : entries)
        text += entry.name + u',' + entry.address + QStringLiteral("\r\n");
    return text.toUtf8();
}

QByteArray writeM3uList(const PlaySourceList& entries, const ListTags& listTags)
{
    QString header = QStringLiteral("#EXTM3U");
    attribute(header, "x-tvg-url", listTags.guideAddresses.join(u','));
    attribute(header, "catchup", listTags.catchup);
    attribute(header, "catchup-source", listTags.catchupSource);
    attribute(header, "catchup-days", listTags.catchupDays);
    attribute(header, "catchup-zone", listTags.catchupZone);
    attribute(header, "service-tvg-url", listTags.serviceGuide);
    QString text = header + QStringLiteral("\r\n");
    QString group;
    for (const PlaySource& entry : entries) {
        if (isGroupHeading(entry.address)) {
            group = entry.name;
            continue;
        }
        const ChannelTags& tags = entry.tags;
        QString line = QStringLiteral("#EXTINF:-1");
        attribute(line, "tvg-id", tags.tvgId);
        attribute(line, "tvg-name", tags.tvgName);
        attribute(line, "tvg-logo", tags.tvgLogo);
        attribute(line, "group-title", tags.groupTitle.isEmpty() ? group : tags.groupTitle);
        attribute(line, "catchup", tags.catchup);
        attribute(line, "catchup-source", tags.catchupSource);
        attribute(line, "catchup-days", tags.catchupDays);
        text += line + u',' + entry.name + QStringLiteral("\r\n") + entry.address + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}
