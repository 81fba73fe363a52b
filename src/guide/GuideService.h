#pragma once

#include "GuideIndex.h"
#include "core/guide/ProgrammeGuide.h"

#include <QObject>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <mutex>

class GuideSearch;
class GuideWorker;
class ThreadMailbox;

// The guide as the window sees it: requests go to the guide's thread, and
// answers come from the index it last built, read under a lock that is held
// only to copy a pointer.
class GuideService final : public ProgrammeGuide {
public:
    explicit GuideService(const QString& cacheFolder);
    ~GuideService() override;

    void load(const GuideRequest& request) override;
    ProgrammeNowNext nowNext(int entry, qint64 now) const override;
    std::vector<Programme> programmes(int entry) const override;
    std::shared_ptr<const std::vector<Programme>> schedule(int entry) const override;
    void search(const QString& text, qint64 now, std::function<void(std::vector<ProgrammeHit>)> found) override;
    void want(int entry) override;
    QByteArray logo(int entry) const override;
    void setChangedHandler(std::function<void()> changed) override { changed_ = std::move(changed); }

private:
    std::shared_ptr<const GuideIndex> index() const;
    void publish(std::shared_ptr<const GuideIndex> index);
    std::vector<ProgrammeHit> find(const QString& text, qint64 now);

    mutable std::mutex lock_;
    std::shared_ptr<const GuideIndex> index_;
    std::function<void()> changed_;
    std::atomic<bool> stopping_{false};
    std::unique_ptr<QObject> anchor_; // on the window's thread: the mailbox's owner
    ThreadMailbox* mailbox_ = nullptr;
    QThread thread_;
    GuideWorker* worker_ = nullptr; // lives on thread_, deleted there
    // Searches run one at a time on a thread of their own, so that none waits
    // for an import; each skips its work when a newer one was asked for.
    QString databasePath_;
    std::unique_ptr<GuideSearch> searchDatabase_; // used on the search thread only
    std::atomic<quint64> searchSerial_{0};
    QThreadPool searches_;
};
