#include "core/playback/KnownServers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

// One line a server: "host:port", a tab, the second it was found.
QStringList KnownServers::load(qint64 now)
{
    kept_.clear();
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList servers;
    // A few lines at most; anything much longer is not this file.
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        bool ok = false;
        const qint64 at = fields.value(1).toLongLong(&ok);
        const QString server = QString::fromUtf8(fields.value(0));
        if (fields.size() != 2 || !ok || server.isEmpty() || !server.contains(u':') || at > now ||
            now - at > kKeptSeconds || servers.contains(server))
            continue;
        servers << server;
        kept_.emplace_back(server, at);
    }
    return servers;
}

bool KnownServers::found(const QString& server, qint64 now)
{
    std::erase_if(kept_, [&](const auto& kept) { return kept.first == server || now - kept.second > kKeptSeconds; });
    kept_.emplace_back(server, now);
    QDir().mkpath(QFileInfo(path_).path());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const auto& [kept, at] : kept_)
        file.write(kept.toUtf8() + '\t' + QByteArray::number(at) + '\n');
    return file.commit();
}
