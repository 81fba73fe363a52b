#include "SourceAddress.h"

#include <QRegularExpression>

bool isNetworkAddress(const QString& source)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    return scheme.match(source).hasMatch();
}
