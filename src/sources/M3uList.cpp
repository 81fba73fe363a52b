#include "M3uList.h"

#include "ChannelAddress.h"
#include "platform/UriScheme.h"

#include <QDir>
#include <QUrl>

#include <utility>

namespace {

// The value of attribute `key` in an #EXTINF line, quoted or not.
QString attribute(QStringView line, QLatin1String key)
{
    qsizetype at = 0;
    while ((at = line.indexOf(key, at, Qt::CaseInsensitive)) >= 0) {
        const bool wordStart = at == 0 || line.at(at - 1).isSpace();
        const qsizetype equals = at + key.size();
        if (!wordStart || equals >= line.size() || line.at(equals) != u'=') {
            at = equals;
            continue;
        }
        qsizetype start = equals + 1;
        if (start < line.size() && line.at(start) == u'"') {
            const qsizetype end = line.indexOf(u'"', start + 1);
            return line.sliced(start + 1, (end < 0 ? line.size() : end) - start - 1).toString();
        }
        qsizetype end = start;
        while (end < line.size() && !line.at(end).isSpace() && line.at(end) != u',')
            ++end;
        return line.sliced(start, end - start).toString();
    }
    return {};
}

// The first comma outside quoted values, before the display name; -1 when none.
qsizetype nameComma(QStringView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == u'"')
            quoted = !quoted;
        else if (line.at(i) == u',' && !quoted)
            return i;
    }
    return -1;
}

// The display name: what follows that comma.
QString extinfName(QStringView line)
{
    const qsizetype comma = nameComma(line);
    return comma < 0 ? QString() : line.sliced(comma + 1).trimmed().toString();
}

// A name for an address listed without one: its last path segment.
QString nameOfAddress(const QString& address)
{
    const QString path = QUrl(address).path();
    const QString last = path.section(u'/', -1, -1, QString::SectionSkipEmpty);
    return last.isEmpty() ? address : last;
}

QString wholeAddress(const QString& written, const QString& folder)
{
    if (startsWithUriScheme(written) || QDir::isAbsolutePath(written) || folder.isEmpty())
        return written;
    return QDir::cleanPath(QDir(folder).filePath(written));
}

} // namespace

bool startsLikeM3u(const QString& text)
{
    return QStringView(text).trimmed().startsWith(QLatin1String("#EXTM3U"), Qt::CaseInsensitive);
}

bool isHlsPlaylist(const QString& text)
{
    bool hlsTags = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(QLatin1String("#EXT-X-"), Qt::CaseInsensitive))
            hlsTags = true;
        else if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive) && !extinfName(line).isEmpty())
            return false;
    }
    return hlsTags;
}

namespace {

ListTags headerTags(QStringView line)
{
    ListTags tags;
    for (const QLatin1String key : {QLatin1String("x-tvg-url"), QLatin1String("url-tvg")})
        for (const QString& address : attribute(line, key).split(u',', Qt::SkipEmptyParts))
            if (const QString trimmed = address.trimmed(); !trimmed.isEmpty() && !tags.guideAddresses.contains(trimmed))
                tags.guideAddresses << trimmed;
    tags.catchup = attribute(line, QLatin1String("catchup"));
    tags.catchupSource = attribute(line, QLatin1String("catchup-source"));
    tags.catchupDays = attribute(line, QLatin1String("catchup-days"));
    tags.catchupZone = attribute(line, QLatin1String("catchup-zone"));
    tags.serviceGuide = attribute(line, QLatin1String("service-tvg-url")).trimmed();
    return tags;
}

ChannelTags channelTags(QStringView line)
{
    const qsizetype comma = nameComma(line);
    const QStringView extinf = comma < 0 ? line : line.first(comma);
    return {attribute(extinf, QLatin1String("tvg-id")),        attribute(extinf, QLatin1String("tvg-name")),
            attribute(extinf, QLatin1String("tvg-logo")),      attribute(extinf, QLatin1String("group-title")),
            attribute(extinf, QLatin1String("catchup")),       attribute(extinf, QLatin1String("catchup-source")),
            attribute(extinf, QLatin1String("catchup-days"))};
}

} // namespace

PlaySourceFile parseM3u(const QString& text, const QString& folder)
{
    PlaySourceFile file;
    file.text = text;
    QString name, group, pendingGroup, userAgent, referrer;
    ChannelTags tags;
    bool haveGroup = false;
    bool header = true;
    const auto add = [&file](const QString& entryName, const QString& address, const ChannelTags& entryTags) {
        file.fields << entryName << address;
        file.entries.push_back({entryName, address, entryTags});
    };
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const bool first = std::exchange(header, false);
        if (line.startsWith(u'#')) {
            if (first && line.startsWith(QLatin1String("#EXTM3U"), Qt::CaseInsensitive)) {
                file.listTags = headerTags(line.sliced(7));
            } else if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
                name = extinfName(line);
                tags = channelTags(line);
                if (const QString titled = attribute(line, QLatin1String("group-title")); !titled.isEmpty())
                    pendingGroup = titled;
            } else if (line.startsWith(QLatin1String("#EXTGRP:"), Qt::CaseInsensitive)) {
                pendingGroup = line.sliced(8).trimmed().toString();
            } else if (line.startsWith(QLatin1String("#EXTVLCOPT:"), Qt::CaseInsensitive)) {
                const QStringView option = line.sliced(11).trimmed();
                if (option.startsWith(QLatin1String("http-user-agent="), Qt::CaseInsensitive))
                    userAgent = option.sliced(16).toString();
                else if (option.startsWith(QLatin1String("http-referrer="), Qt::CaseInsensitive))
                    referrer = option.sliced(14).toString();
            }
            continue;
        }
        // An address line: the channel it ends.
        if (!pendingGroup.isEmpty() && (!haveGroup || pendingGroup != group)) {
            group = pendingGroup;
            haveGroup = true;
            add(group, QStringLiteral("#genre#"), {});
        }
        QString address = line.toString();
        // Headers written on the address itself win over the #EXTVLCOPT lines.
        if (!address.contains(u'|'))
            address += headerSuffix(userAgent, referrer);
        address = wholeAddress(address, folder);
        add(name.isEmpty() ? nameOfAddress(line.toString()) : name, address, tags);
        name.clear();
        tags = {};
        pendingGroup.clear();
        userAgent.clear();
        referrer.clear();
    }
    return file;
}
