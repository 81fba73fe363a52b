#include "VlcOptions.h"

QList<QByteArray> vlcSourceOptions(const MediaPlayer::Source& source)
{
    QList<QByteArray> options;
    const QByteArray caching = QByteArray::number(source.cachingMs);
    for (const char* name : {":file-caching=", ":network-caching=", ":rtsp-caching="})
        options.append(name + caching);
    if (!source.userAgent.isEmpty())
        options.append(QByteArrayLiteral(":http-user-agent=") + source.userAgent.toUtf8());
    if (!source.referrer.isEmpty())
        options.append(QByteArrayLiteral(":http-referrer=") + source.referrer.toUtf8());
    return options;
}
