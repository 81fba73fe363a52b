#include "GuideService.h"

#include "GuideWorker.h"
#include "platform/ThreadMailbox.h"

#include <QDateTime>

GuideService::GuideService(const QString& cacheFolder) : anchor_(std::make_unique<QObject>())
{
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
