#include "CheckRun.h"

CheckRun::CheckRun(std::vector<CheckTarget> targets, CheckLimits limits, ProbeFactory makeProbe)
    : plan_(std::move(targets), limits), limits_(limits), makeProbe_(std::move(makeProbe))
{
}

CheckRun::~CheckRun() = default;

void CheckRun::start()
{
    fill();
    finishIfDone();
}

void CheckRun::stop()
{
    for (auto& [target, running] : running_)
        running.probe->disconnect(this);
    running_.clear();
    if (!finished_) {
        finished_ = true;
        emit finished();
    }
}

void CheckRun::setServersInUse(const QStringList& servers)
{
    plan_.setServersInUse(servers);
    // A try on a server that now serves the channel watched could cost it: it goes, and waits.
    for (auto it = running_.begin(); it != running_.end();) {
        if (plan_.isInUse(it->first)) {
            plan_.ended(it->first, true);
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
    fill();
    finishIfDone();
}

void CheckRun::fill()
{
    if (finished_)
        return;
    for (int target = plan_.startNext(); target >= 0; target = plan_.startNext()) {
        Try& running = running_[target];
        const std::uint64_t serial = ++serial_;
        running.serial = serial;
        running.probe = makeProbe_(plan_.target(target));
        running.timer = std::make_unique<QTimer>();
        running.timer->setSingleShot(true);
        connect(running.timer.get(), &QTimer::timeout, this,
                [this, target, serial] { end(target, serial, AddressCheck::failed(AddressCheck::Reason::Timeout)); });
        connect(running.probe.get(), &AddressProbe::done, this,
                [this, target, serial](const AddressCheck& found) { end(target, serial, found); }, Qt::QueuedConnection);
        running.timer->start(limits_.timeout);
        running.probe->start();
    }
}

void CheckRun::end(int target, std::uint64_t serial, const AddressCheck& found)
{
    const auto running = running_.find(target);
    if (running == running_.end() || running->second.serial != serial)
        return;
    // Its connection goes before the next try starts. (Never inside the
    // probe's own signal: its answers come queued.)
    running_.erase(running);
    plan_.ended(target);
    emit checked(target, found);
    fill();
    finishIfDone();
}

void CheckRun::finishIfDone()
{
    if (finished_)
        return;
    for (int target : plan_.giveUpIfOnlyBlocked())
        emit checked(target, AddressCheck::ok(AddressCheck::Reason::HeldByPlaying));
    if (plan_.complete()) {
        finished_ = true;
        emit finished();
    }
}
