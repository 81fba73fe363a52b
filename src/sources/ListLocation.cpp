#include "ListLocation.h"

#include "ChannelAddress.h"
#include "SourcesLog.h"
#include "platform/UriScheme.h"

#include <QStringList>
#include <QUrl>

bool ListLocation::isRemote() const
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString ListLocation::localPath() const
{
    if (isRemote())
        return {};
    if (address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return QUrl(address).toLocalFile();
    return address;
}

ListLocation readListLocation(const QString& written)
{
    // Only the headers: a "$" in a list's address is part of it (a password, say), not a line's name.
    const QString trimmed = written.trimmed();
    const ChannelAddress read = readAlternate(trimmed);
    const qsizetype headers = headersStart(trimmed);
    return {headers < 0 ? trimmed : trimmed.first(headers).trimmed(), read.userAgent, read.referrer};
}

namespace {

// A header's value as the "|" part can hold it: a "|" or "&" in it would end
// the value, or the headers, when read back.
QString headerValue(const QString& value)
{
    QString kept = value.trimmed();
    if (kept.contains(u'|') || kept.contains(u'&')) {
        kept.remove(u'|').remove(u'&');
        qCInfo(lcSources) << "a list's header value held \"|\" or \"&\", which are left out";
    }
    return kept;
}

} // namespace

QString writeListLocation(const ListLocation& location)
{
    QStringList headers;
    if (const QString agent = headerValue(location.userAgent); !agent.isEmpty())
        headers.append(QStringLiteral("User-Agent=") + agent);
    if (const QString referrer = headerValue(location.referrer); !referrer.isEmpty())
        headers.append(QStringLiteral("Referer=") + referrer);
    const QString address = location.address.trimmed();
    // An address that holds a "|" of its own ("…/x|a=b") would lose what
    // follows it when read back, taken for headers: an empty header ends it.
    // (Only an address with a scheme has headers: a local path keeps its bar.)
    if (headers.isEmpty() && address.contains(u'|') && startsWithUriScheme(address))
        headers.append(QStringLiteral("User-Agent="));
    return headers.isEmpty() ? address : address + u'|' + headers.join(u'&');
}
