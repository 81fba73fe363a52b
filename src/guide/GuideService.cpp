#include "GuideService.h"

#include "GuideLog.h"
#include "GuideSearch.h"
#include "GuideWorker.h"
#include "platform/ThreadMailbox.h"

#include <QDateTime>
#include <QDir>

#include <set>

namespace {
constexpr int kMostHits = 300;
}

GuideService::GuideService(const QString& cacheFolder)
    : anchor_(std::make_unique<QObject>()), databasePath_(QDir(cacheFolder).filePath(QStringLiteral("guide.sqlite")))
{
    searches_.setMaxThreadCount(1);
    searches_.setExpiryTimeout(-1);
    mailbox_ = new ThreadMailbox(anchor_.get()); // owned by the anchor
    thread_.setObjectName(QStringLiteral("clipvane guide"));
    worker_ = new GuideWorker(
        cacheFolder, [this](std::shared_ptr<const GuideIndex> index) { publish(std::move(index)); }, stopping_,
        [] { return QDateTime::currentSecsSinceEpoch(); });
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start(QThread::LowPriority);
}

GuideService::~GuideService()
{
    // An import under way stops at its next piece; a fetch under way goes with the thread's event loop.
    stopping_ = true;
    searches_.waitForDone();
    thread_.quit();
    thread_.wait();
}

void GuideService::load(const GuideRequest& request)
{
    worker_->inbox().post([worker = worker_, request] { worker->load(request); });
}

void GuideService::want(int entry)
{
    worker_->inbox().post([worker = worker_, entry] { worker->want(entry); });
}

QByteArray GuideService::logo(int entry) const
{
    const auto current = index();
    return current ? current->logo(entry) : QByteArray();
}

std::shared_ptr<const GuideIndex> GuideService::index() const
{
    const std::lock_guard guard(lock_);
    return index_;
}

void GuideService::publish(std::shared_ptr<const GuideIndex> index)
{
    {
        const std::lock_guard guard(lock_);
        index_ = std::move(index);
    }
    mailbox_->post([this] {
        if (changed_)
            changed_();
    });
}

ProgrammeNowNext GuideService::nowNext(int entry, qint64 now) const
{
    const auto current = index();
    return current ? current->nowNext(entry, now) : ProgrammeNowNext{};
}

std::vector<Programme> GuideService::programmes(int entry) const
{
    const auto current = index();
    return current ? current->programmes(entry) : std::vector<Programme>{};
}

std::shared_ptr<const std::vector<Programme>> GuideService::schedule(int entry) const
{
    const auto current = index();
    return current ? current->schedule(entry) : nullptr;
}

void GuideService::search(const QString& text, qint64 now, std::function<void(std::vector<ProgrammeHit>)> found)
{
    const quint64 serial = ++searchSerial_;
    searches_.start([this, text, now, serial, found = std::move(found)]() mutable {
        if (serial != searchSerial_ || stopping_)
            return;
        std::vector<ProgrammeHit> hits = find(text, now);
        mailbox_->post([this, serial, hits = std::move(hits), found = std::move(found)]() mutable {
            if (serial == searchSerial_)
                found(std::move(hits));
        });
    });
}

// On the search thread.
std::vector<ProgrammeHit> GuideService::find(const QString& text, qint64 now)
{
    std::vector<ProgrammeHit> hits;
    const auto current = index();
    if (!current || !current->channelEntries())
        return hits;
    if (!searchDatabase_) {
        QString error;
        searchDatabase_ = GuideSearch::open(databasePath_, &error);
        if (!searchDatabase_) {
            qCInfo(lcGuide) << "no programme search yet:" << error;
            return hits;
        }
    }
    std::set<int> guides;
    for (const auto& [channel, entries] : *current->channelEntries())
        guides.insert(channel.first);
    for (GuideSearch::Hit& hit : searchDatabase_->find(text, now, {guides.begin(), guides.end()}, kMostHits))
        if (const int entry = current->firstEntryOf(hit.guide, hit.channel); entry >= 0)
            hits.push_back({entry, std::move(hit.programme)});
    return hits;
}
