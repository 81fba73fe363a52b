#pragma once

#include "GuideStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches a guide over HTTP(S) into a file of the cache folder, with Qt's
// network access: redirects followed, a time-out when the server goes
// quiet, and a conditional request against the copy already kept (ETag,
// Last-Modified). Lives on the guide's thread; one fetch at a time.
class GuideFetcher final : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum class Kind { Fetched, NotModified, Failed };
        Kind kind = Kind::Failed;
        QString path;  // Fetched: the file it was written to
        GuideStore::Copy copy; // what the server said of it
        QString reason; // Failed: why
    };
    using Done = std::function<void(const Outcome&)>;

    static constexpr int kQuietTimeoutMs = 30000;
    static constexpr qint64 kLongestDownload = qint64(1) << 30;

    explicit GuideFetcher(QObject* parent = nullptr);
    ~GuideFetcher() override;

    // Writes to `path` (replaced only once the whole guide has come).
    void fetch(const QString& address, const std::optional<GuideStore::Copy>& kept, const QString& path, Done done);
    // Ends the fetch under way, if any, without a word.
    void abort();

private:
    void finish(Outcome outcome);

    QNetworkAccessManager* network_; // a child: it moves to the guide's thread with the fetcher
    QNetworkReply* reply_ = nullptr; // owned by network_ until it is deleted later
    std::unique_ptr<QFile> file_;
    QString path_;
    Done done_;
};
