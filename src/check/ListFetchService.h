#pragma once

#include "core/lists/ListFetcher.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Fetches lists by address with Qt's network access, on the thread that asks
// (its work is the network's; the bytes are judged elsewhere): redirects
// followed, https → http included, as list hosts often send them; a time-out
// when the server goes quiet; a bound on the size; a conditional request
// against the copy kept; a body shorter than announced taken as cut off.
class ListFetchService final : public QObject, public ListFetcher {
    Q_OBJECT
public:
    static constexpr int kQuietTimeoutMs = 30000;

    ListFetchService();
    ~ListFetchService() override;

    void fetch(const ListFetchRequest& request, std::function<void(ListFetchOutcome)> done) override;
    void cancel() override;

private:
    void finish(ListFetchOutcome outcome);
    void replyFinished();

    QNetworkAccessManager* network_; // a child
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    qint64 bound_ = 0;
    std::function<void(ListFetchOutcome)> done_;
};
