#include "OpenerThread.h"

OpenerThread::OpenerThread() : thread_([this](std::stop_token stop) { run(stop); }) {}

OpenerThread::~OpenerThread()
{
    shutdown();
}

bool OpenerThread::post(Request request)
{
    {
        const std::lock_guard guard(lock_);
        if (closed_)
            return false;
        pending_ = std::move(request);
    }
    wake_.notify_one();
    return true;
}

void OpenerThread::shutdown(Request last)
{
    {
        const std::lock_guard guard(lock_);
        if (closed_)
            return;
        closed_ = true;
        pending_ = last ? std::optional<Request>(std::move(last)) : std::nullopt;
    }
    thread_.request_stop();
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

bool OpenerThread::busy() const
{
    const std::lock_guard guard(lock_);
    return running_ || pending_.has_value();
}

void OpenerThread::run(std::stop_token stop)
{
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait(guard, stop, [this] { return pending_.has_value(); });
        if (!pending_) // stopped with nothing left to do
            return;
        Request request = std::move(*pending_);
        pending_.reset();
        running_ = true;
        guard.unlock();
        request();
        guard.lock();
        running_ = false;
    }
}
