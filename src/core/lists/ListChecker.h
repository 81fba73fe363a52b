#pragma once

#include "core/lists/AddressCheck.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <vector>

// One address of the list to check, with what the limits need to know of it.
struct CheckTarget {
    QString address;
    QString userAgent; // the HTTP headers the address is played with
    QString referrer;
    QString host;               // connections are counted by host name
    QString server;             // "host:port", as servers taking one connection are known
    bool oneConnection = false; // that server was found to take one connection at a time
};

struct CheckLimits {
    int atOnce = 8;  // connections in all
    int perHost = 2; // connections to one host (one to a server taking one)
    std::chrono::milliseconds timeout{5000};
};

// Tries every address of a list in the background, off the window's thread.
// Loaded as a module when the user first asks for a check.
class ListChecker {
public:
    virtual ~ListChecker() = default;
    // `checked` runs on the calling thread for each target once it is known,
    // `finished` once after the last one (or after stop()). A new start ends
    // the check under way.
    virtual void start(std::vector<CheckTarget> targets, CheckLimits limits,
                       std::function<void(int target, AddressCheck found)> checked,
                       std::function<void()> finished) = 0;
    virtual void stop() = 0;
    // The servers taking one connection that a channel played uses now: no
    // address of theirs is tried meanwhile, and a try under way is dropped.
    virtual void setServersInUse(const QStringList& servers) = 0;
};

// Whether a check can try an address: HTTP(S), RTSP, UDP and RTP.
inline bool isCheckableAddress(const QString& address)
{
    const QString scheme = QUrl(address).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"rtsp" || scheme == u"udp" || scheme == u"rtp";
}

// The module's one entry point.
using MakeListChecker = ListChecker* (*)();
inline constexpr const char* kMakeListCheckerSymbol = "clipvane_make_list_checker";
