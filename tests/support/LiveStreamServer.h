#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdint>

// The live MPEG-TS server of live_stream_server.py, run for one test: an
// endless stream over HTTP on 127.0.0.1 with the faults the options ask for.
class LiveStreamServer {
public:
    // clip lasts seconds; options as the script takes them ("--drop-first", "1", …).
    LiveStreamServer(const QString& clip, int seconds, const QStringList& options = {});
    ~LiveStreamServer();
    LiveStreamServer(const LiveStreamServer&) = delete;
    LiveStreamServer& operator=(const LiveStreamServer&) = delete;

    bool isListening() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    QString address(const QString& path = QStringLiteral("live.ts")) const;
    // Connections made so far.
    int connections();

private:
    QProcess process_;
    std::uint16_t port_ = 0;
    int connections_ = 0;
};
