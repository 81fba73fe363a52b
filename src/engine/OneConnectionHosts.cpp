#include "OneConnectionHosts.h"

#include "EngineLog.h"

#include <QUrl>

QString OneConnectionHosts::serverOf(const QString& address)
{
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || scheme == QLatin1String("file") || scheme == QLatin1String("udp") ||
        scheme == QLatin1String("rtp"))
        return {};
    int defaultPort = -1;
    if (scheme == QLatin1String("http"))
        defaultPort = 80;
    else if (scheme == QLatin1String("https"))
        defaultPort = 443;
    else if (scheme == QLatin1String("rtsp"))
        defaultPort = 554;
    else if (scheme == QLatin1String("rtmp"))
        defaultPort = 1935;
    return url.host() + QLatin1Char(':') + QString::number(url.port(defaultPort));
}

bool OneConnectionHosts::sameServer(const QString& one, const QString& other)
{
    const QString server = serverOf(one);
    return !server.isEmpty() && server == serverOf(other);
}

bool OneConnectionHosts::isOneConnection(const QString& address) const
{
    const QString server = serverOf(address);
    return !server.isEmpty() && oneConnection_.count(server) > 0;
}

void OneConnectionHosts::markOneConnection(const QString& address, const char* why)
{
    const QString server = serverOf(address);
    if (server.isEmpty() || !oneConnection_.insert(server).second)
        return;
    qCInfo(lcEngine).nospace() << "server " << server << " allows one connection (" << why
                               << "): none of its channels is opened ahead while one of them plays";
    if (found_)
        found_(server);
}

void OneConnectionHosts::markServer(const QString& server)
{
    if (!server.isEmpty())
        oneConnection_.insert(server);
}

void OneConnectionHosts::preopened(const QString& address, Clock::time_point now)
{
    const QString server = serverOf(address);
    if (!server.isEmpty())
        preopened_[server] = now;
}

bool OneConnectionHosts::preopenedRecently(const QString& address, Clock::time_point now) const
{
    const auto found = preopened_.find(serverOf(address));
    return found != preopened_.end() && now - found->second <= kCutAfterPreopen;
}
