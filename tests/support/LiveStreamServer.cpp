#include "LiveStreamServer.h"

LiveStreamServer::LiveStreamServer(const QString& clip, int seconds, const QStringList& options)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"),
                   QStringList{QStringLiteral(LIVE_STREAM_SERVER), clip, QString::number(seconds)} + options);
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    port_ = std::uint16_t(process_.readLine().trimmed().toUInt());
}

LiveStreamServer::~LiveStreamServer()
{
    process_.kill();
    process_.waitForFinished(5000);
}

QString LiveStreamServer::address(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
}

int LiveStreamServer::connections()
{
    process_.waitForReadyRead(0);
    while (process_.canReadLine())
        if (process_.readLine().startsWith("connection"))
            ++connections_;
    return connections_;
}
