#include "HttpTestServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

HttpTestServer::HttpTestServer(QByteArray body, Mode mode) : body_(std::move(body)), mode_(mode)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0)
            ::close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
}

HttpTestServer::~HttpTestServer()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    answering_.clear(); // each stops and joins
    for (int connection : stalled_)
        ::close(connection);
    if (listener_ >= 0)
        ::close(listener_);
}

void HttpTestServer::opened(int connection)
{
    const std::lock_guard lock(openLock_);
    std::erase_if(open_, [](int other) {
        pollfd gone{other, POLLRDHUP, 0};
        return ::poll(&gone, 1, 0) > 0 && (gone.revents & (POLLRDHUP | POLLHUP | POLLERR));
    });
    open_.insert(connection);
    mostAtOnce_ = std::max(mostAtOnce_.load(), int(open_.size()));
}

void HttpTestServer::closed(int connection)
{
    const std::lock_guard lock(openLock_);
    open_.erase(connection);
}

void HttpTestServer::serve(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        // The listener, and the stalled connections: one the client closes is closed here too.
        std::vector<pollfd> waiting{{listener_, POLLIN, 0}};
        for (int stalled : stalled_)
            waiting.push_back({stalled, POLLIN, 0});
        if (::poll(waiting.data(), nfds_t(waiting.size()), 100) <= 0)
            continue;
        for (size_t index = 1; index < waiting.size(); ++index) {
            char ignored[512];
            if (waiting[index].revents != 0 && ::recv(waiting[index].fd, ignored, sizeof ignored, MSG_DONTWAIT) == 0) {
                closed(waiting[index].fd);
                ::close(waiting[index].fd);
                std::erase(stalled_, waiting[index].fd);
            }
        }
        if (!(waiting[0].revents & POLLIN))
            continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        ++requests_;
        opened(connection);
        if (mode_ == Mode::Stall) {
            stalled_.push_back(connection);
            continue;
        }
        // Each connection on its own thread: a client may hold one open while it opens another.
        answering_.emplace_back([this, connection](std::stop_token own) {
            answer(connection, own);
            closed(connection);
            ::close(connection);
        });
    }
}

void HttpTestServer::answer(int connection, const std::stop_token& stop)
{
    // Read the request head; its content does not matter.
    QByteArray head;
    char buffer[2048];
    while (!head.contains("\r\n\r\n")) {
        pollfd readable{connection, POLLIN, 0};
        if (::poll(&readable, 1, 2000) <= 0)
            return;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        head.append(buffer, int(n));
    }
    {
        const std::lock_guard lock(targetsLock_);
        targets_.push_back(head.left(head.indexOf("\r\n")).split(' ').value(1));
    }
    const QByteArray length =
        mode_ == Mode::Live ? QByteArray() : "Content-Length: " + QByteArray::number(body_.size()) + "\r\n";
    const QByteArray response =
        mode_ == Mode::NotFound
            ? QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            : "HTTP/1.1 200 OK\r\nContent-Type: video/mp2t\r\n" + length + "Connection: close\r\n\r\n" + body_;
    qsizetype sent = 0;
    while (sent < response.size() && !stop.stop_requested()) {
        pollfd writable{connection, POLLOUT, 0};
        if (::poll(&writable, 1, 100) <= 0)
            continue;
        const ssize_t n = ::send(connection, response.constData() + sent, size_t(response.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            return;
        sent += n;
    }
}
