#include "SourceAddress.h"

#include <QRegularExpression>

bool hasUriScheme(const QString& source)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(source).hasMatch();
}

bool isNetworkAddress(const QString& source)
{
    return hasUriScheme(source) && !source.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}
