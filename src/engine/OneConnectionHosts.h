#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <set>

// Servers found to allow one connection at a time (many paid services count
// one stream per account: a second connection is refused, or the first one is
// cut). A server is its host and port; it stays known until the program ends,
// and the program keeps it for later runs (each found one is told).
// Opening a channel ahead on such a server while one of its channels plays
// would cost the user the channel watched, or the channel chosen.
class OneConnectionHosts {
public:
    using Clock = std::chrono::steady_clock;
    // The watched channel dropping this soon after a channel of its server was
    // opened ahead is taken as the server cutting the older connection.
    static constexpr std::chrono::seconds kCutAfterPreopen{5};

    // "host:port" of an address that holds a connection to a server; empty
    // for local files and for datagram sources (udp, rtp), which hold none.
    static QString serverOf(const QString& address);
    static bool sameServer(const QString& one, const QString& other);

    bool isOneConnection(const QString& address) const;
    // From now on this address's server is taken to allow one connection.
    void markOneConnection(const QString& address, const char* why);
    // A server ("host:port") found so before; not told as found.
    void markServer(const QString& server);
    // Runs each time a server is found to allow one connection.
    void setFound(std::function<void(const QString& server)> found) { found_ = std::move(found); }

    // A channel of this address's server is being opened ahead now.
    void preopened(const QString& address, Clock::time_point now);
    // Whether a channel of this address's server was opened ahead within kCutAfterPreopen.
    bool preopenedRecently(const QString& address, Clock::time_point now) const;

private:
    std::set<QString> oneConnection_;
    std::map<QString, Clock::time_point> preopened_;
    std::function<void(const QString& server)> found_;
};
