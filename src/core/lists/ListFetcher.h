#pragma once

#include "sources/ListProblem.h"

#include <QByteArray>
#include <QString>

#include <functional>

struct ListFetchRequest {
    QString address;
    QString userAgent;
    QString referrer;
    QString etag; // of the copy kept: the server may answer "not modified"
    QString lastModified;
    qint64 sizeBound = 0; // more bytes than this are refused (TooLarge)
};

struct ListFetchOutcome {
    enum class Kind { Fetched, NotModified, Failed };
    Kind kind = Kind::Failed;
    QByteArray body; // as it came (possibly gzip whatever its name)
    QString etag;
    QString lastModified;
    ListProblem problem = ListProblem::None; // Failed: why
    int httpStatus = 0;                      // HttpStatus: which
};

// Fetches lists by address over HTTP(S), without holding the calling thread.
// Loaded with the network module the first time a list by address is fetched.
class ListFetcher {
public:
    virtual ~ListFetcher() = default;
    // `done` runs once, on the calling thread. A new fetch ends the one under way without a word.
    virtual void fetch(const ListFetchRequest& request, std::function<void(ListFetchOutcome)> done) = 0;
    virtual void cancel() = 0;
};

using MakeListFetcher = ListFetcher* (*)();
inline constexpr const char* kMakeListFetcherSymbol = "clipvane_make_list_fetcher";
