#pragma once

#include <QByteArray>

#include <QList>

#include <atomic>
#include <mutex>
#include <set>
#include <cstdint>
#include <thread>
#include <vector>

// A small HTTP server on 127.0.0.1 for the tests, on its own thread. It serves
// one body for any GET (whole, no ranges), answers 404 to everything, or in
// stall mode accepts connections and never answers. Each connection is
// answered on a thread of its own. It stops by itself when destroyed.
class HttpTestServer {
public:
    // Live: the body without a length, as a live channel is sent.
    enum class Mode { Serve, Stall, NotFound, Live };

    explicit HttpTestServer(QByteArray body, Mode mode = Mode::Serve);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool isListening() const { return listener_ >= 0; }
    std::uint16_t port() const { return port_; }
    int requestsSeen() const { return requests_; }
    // The most connections it has had open at one time.
    int mostAtOnce() const { return mostAtOnce_; }
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
    // Counts a new connection, and first lets go of those their client has
    // closed (a client closes one before it opens the next).
    void opened(int connection);
    void closed(int connection);
    std::mutex openLock_;
    std::set<int> open_;
    std::atomic<int> mostAtOnce_{0};
    std::vector<int> stalled_;
    mutable std::mutex targetsLock_;
    QList<QByteArray> targets_;
    std::vector<std::jthread> answering_;
    std::jthread thread_;
};
