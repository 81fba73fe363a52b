#pragma once

#include "ChannelMatcher.h"
#include "GuideFetcher.h"
#include "GuideImport.h"
#include "GuideIndex.h"
#include "GuideStore.h"
#include "core/guide/ProgrammeGuide.h"

#include <QObject>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

// The guide's own thread: keeps the guides of the list in the store, fetches
// and reads them again when they are stale, and builds the index the window
// reads from what the store holds.
class ThreadMailbox;

class GuideWorker final : public QObject {
    Q_OBJECT
public:
    using Publish = std::function<void(std::shared_ptr<const GuideIndex>)>;
    using Clock = std::function<qint64()>; // seconds since 1970 UTC

    static constexpr int kRefreshCheckMs = 15 * 60 * 1000;
    // Descriptions are kept in memory for programmes this near now.
    static constexpr qint64 kDetailBefore = 6 * 3600;
    static constexpr qint64 kDetailAfter = 30 * 3600;

    GuideWorker(QString cacheFolder, Publish publish, const std::atomic<bool>& stopping, Clock clock);
    ~GuideWorker() override;

    // What was kept shows at once; then each stale guide is fetched and read.
    void load(const GuideRequest& request);
    // An entry is looked at: a guide API is asked for its day if nothing is known of it.
    void want(int entry);
    // Takes calls from any thread to this one.
    ThreadMailbox& inbox() const { return *inbox_; }

signals:
    // Nothing is fetched or read now: every guide is as fresh as it can be.
    void settled();

private:
    bool openStore();
    void rebuild();
    void queueStale();
    void takeNext();
    void import(const QString& address, const QString& path, const GuideStore::Copy& copy);
    QString downloadPath(const QString& address) const;
    void askApi();
    void askLogo();
    void showLogo(int entry, QByteArray logo);
    QString logoPath(const QString& address) const;
    void keepAnswer(int entry, const QString& key, std::vector<Programme> programmes);
    const GuideSource* api() const;

    ThreadMailbox* inbox_; // a child: moves and goes with the worker
    QString cacheFolder_;
    Publish publish_;
    const std::atomic<bool>& stopping_;
    Clock clock_;
    std::unique_ptr<GuideStore> store_;
    std::unique_ptr<ChineseVariants> variants_;
    GuideRequest request_;
    QStringList pending_;
    std::shared_ptr<const GuideIndex> index_; // the last published
    std::vector<int> wanted_;                 // entries waiting for the API, oldest first
    std::vector<QString> logoAddresses_;      // each entry's logo: the list's, else its guide channel's icon
    QHash<int, QByteArray> logos_;            // the logos fetched, by entry
    std::vector<int> wantedLogos_;
    QSet<QString> logosAsked_;
    bool fetchingLogo_ = false;
    QSet<QString> asked_;                     // "name|date" asked of the API in this run
    bool askingApi_ = false;
    bool busy_ = false;
    GuideFetcher fetcher_;
    QTimer refresh_;
    class QNetworkAccessManager* apiNetwork_; // a child, as the fetcher's
};
