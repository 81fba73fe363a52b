#pragma once

#include "ChannelMatcher.h"
#include "GuideFetcher.h"
#include "GuideImport.h"
#include "GuideIndex.h"
#include "GuideStore.h"
#include "core/ProgrammeGuide.h"

#include <QObject>
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

    static constexpr qint64 kFreshSeconds = 6 * 3600;
    static constexpr int kRefreshCheckMs = 15 * 60 * 1000;

    GuideWorker(QString cacheFolder, Publish publish, const std::atomic<bool>& stopping, Clock clock);
    ~GuideWorker() override;

    // What was kept shows at once; then each stale guide is fetched and read.
    void load(const GuideRequest& request);
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

    ThreadMailbox* inbox_; // a child: moves and goes with the worker
    QString cacheFolder_;
    Publish publish_;
    const std::atomic<bool>& stopping_;
    Clock clock_;
    std::unique_ptr<GuideStore> store_;
    std::unique_ptr<ChineseVariants> variants_;
    GuideRequest request_;
    QStringList pending_;
    bool busy_ = false;
    GuideFetcher fetcher_;
    QTimer refresh_;
};
