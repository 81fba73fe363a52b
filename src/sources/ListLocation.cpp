#include "ListLocation.h"

#include "ChannelAddress.h"

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
    const ChannelAddress read = readAlternate(written.trimmed());
    const QString address = read.label.isEmpty() ? read.address : read.address + u'$' + read.label;
    return {address, read.userAgent, read.referrer};
}

QString writeListLocation(const ListLocation& location)
{
    QStringList headers;
    if (!location.userAgent.trimmed().isEmpty())
        headers.append(QStringLiteral("User-Agent=") + location.userAgent.trimmed());
    if (!location.referrer.trimmed().isEmpty())
        headers.append(QStringLiteral("Referer=") + location.referrer.trimmed());
    const QString address = location.address.trimmed();
    return headers.isEmpty() ? address : address + u'|' + headers.join(u'&');
}
