#pragma once

#include <QProcess>
#include <QStringList>

#include <cstdint>

// GStreamer's RTSP server (rtsp_test_server.py), run for one test on 127.0.0.1.
class RtspTestServer {
public:
    explicit RtspTestServer(const QStringList& options = {});
    ~RtspTestServer();
    RtspTestServer(const RtspTestServer&) = delete;
    RtspTestServer& operator=(const RtspTestServer&) = delete;

    bool isListening() const { return port_ != 0; }
    std::uint16_t port() const { return port_; }
    // rtsp://[credentials@]127.0.0.1:PORT/path
    QString address(const QString& credentials = {}, const QString& path = QStringLiteral("live")) const;

private:
    QProcess process_;
    std::uint16_t port_ = 0;
};
