#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Servers found to allow one connection at a time ("host:port"), kept in a
// small file of the cache folder so that a later run knows them from its
// start: a server that cuts the older connection otherwise freezes the
// channel watched the first time one of its channels is opened ahead, at
// every start. Each is kept four weeks from when it was last found: an
// account's number of connections changes with its plan, which runs by the
// month, and a server forgotten is only found again the same way.
class KnownServers {
public:
    static constexpr qint64 kKeptSeconds = 28 * 24 * 3600;

    explicit KnownServers(QString path) : path_(std::move(path)) {}

    // The servers found within the time kept, as of `now` (seconds since 1970).
    QStringList load(qint64 now);
    // A server found now; the file is written again at once (a new file
    // renamed over the old, so a crash leaves one or the other). False when it
    // could not be written.
    bool found(const QString& server, qint64 now);

private:
    QString path_;
    std::vector<std::pair<QString, qint64>> kept_; // as loaded and found
};
