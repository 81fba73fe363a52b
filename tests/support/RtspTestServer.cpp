#include "RtspTestServer.h"

RtspTestServer::RtspTestServer(const QStringList& options)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's own Python: GStreamer's bindings come with it.
    process_.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(RTSP_TEST_SERVER)} + options);
    if (!process_.waitForStarted(10000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(15000)) {
    }
    port_ = std::uint16_t(process_.readLine().trimmed().toUInt());
}

RtspTestServer::~RtspTestServer()
{
    process_.kill();
    process_.waitForFinished(5000);
}

QString RtspTestServer::address(const QString& credentials, const QString& path) const
{
    const QString at = credentials.isEmpty() ? QString() : credentials + QLatin1Char('@');
    return QStringLiteral("rtsp://") + at + QStringLiteral("127.0.0.1:") + QString::number(port_) + QLatin1Char('/') +
           path;
}
