#include "OpenerThread.h"

#include <algorithm>

OpenerThread::OpenerThread() : thread_([this](std::stop_token stop) { run(stop); }) {}

OpenerThread::~OpenerThread()
{
    shutdown();
}

bool OpenerThread::post(Request request, Lane lane)
{
    {
        const std::lock_guard guard(lock_);
        if (closed_)
            return false;
        const auto same = lane == Lane::Command ? pending_.end()
                                                : std::find_if(pending_.begin(), pending_.end(),
                                                               [lane](const Pending& pending) { return pending.lane == lane; });
        if (same != pending_.end())
            same->request = std::move(request);
        else
            pending_.push_back({lane, std::move(request)});
    }
    wake_.notify_one();
    return true;
}

void OpenerThread::promote(Lane from, Lane to)
{
    const std::lock_guard guard(lock_);
    const auto promoted =
        std::find_if(pending_.begin(), pending_.end(), [from](const Pending& pending) { return pending.lane == from; });
    if (promoted == pending_.end())
        return;
    promoted->lane = to;
    const auto replaced = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& pending) {
        return pending.lane == to && &pending != &*promoted;
    });
    if (replaced != pending_.end())
        pending_.erase(replaced);
}

void OpenerThread::shutdown(Request last)
{
    {
        const std::lock_guard guard(lock_);
        if (closed_)
            return;
        closed_ = true;
        pending_.clear();
        if (last)
            pending_.push_back({Lane::Choice, std::move(last)});
    }
    thread_.request_stop();
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool OpenerThread::busy() const
{
    const std::lock_guard guard(lock_);
    return running_ || !pending_.empty();
}

void OpenerThread::run(std::stop_token stop)
{
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait(guard, stop, [this] { return !pending_.empty(); });
        if (pending_.empty()) // stopped with nothing left to do
            return;
        // A choice or a command first, then a player to let go, then one opened ahead.
        const auto first = [this](auto inLane) { return std::find_if(pending_.begin(), pending_.end(), inLane); };
        auto next = first([](const Pending& pending) { return pending.lane == Lane::Choice || pending.lane == Lane::Command; });
        for (const Lane lane : {Lane::Retire, Lane::Preopen})
            if (next == pending_.end())
                next = first([lane](const Pending& pending) { return pending.lane == lane; });
        Request request = std::move(next->request);
        pending_.erase(next);
        running_ = true;
        guard.unlock();
        request();
        guard.lock();
        running_ = false;
    }
}
