#pragma once

#include <QByteArray>

#include <QList>

#include <atomic>
#include <mutex>
#include <cstdint>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 for the tests, on its own thread. It serves
// one body for any GET (whole, no ranges), or in stall mode accepts connections
// and never answers. Each connection is answered on a thread of its own. It
// stops by itself when destroyed.
class HttpTestServer {
public:
    enum class Mode { Serve, Stall };

    explicit HttpTestServer(QByteArray body, Mode mode = Mode::Serve);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool isListening() const { return listener_ >= 0; }
    std::uint16_t port() const { return port_; }
    int requestsSeen() const { return requests_; }
    // The path and query of each request, in the order they came.
    QList<QByteArray> targetsSeen() const
    {
        const std::lock_guard lock(targetsLock_);
        return targets_;
    }

private:
    void serve(std::stop_token stop);
    void answer(int connection, const std::stop_token& stop);

    QByteArray body_;
    Mode mode_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> requests_{0};
    std::vector<int> stalled_;
    mutable std::mutex targetsLock_;
    QList<QByteArray> targets_;
    std::vector<std::jthread> answering_;
    std::jthread thread_;
};
