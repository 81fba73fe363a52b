#include "SourceAddress.h"

#include "platform/UriScheme.h"

bool hasUriScheme(const QString& source)
{
    return startsWithUriScheme(source);
}

bool isNetworkAddress(const QString& source)
{
    return hasUriScheme(source) && !source.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}
