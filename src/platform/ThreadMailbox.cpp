#include "ThreadMailbox.h"

ThreadMailbox::ThreadMailbox(QObject* owner) : QObject(owner) {}

void ThreadMailbox::post(std::function<void()> call)
{
    {
        const std::lock_guard guard(lock_);
        calls_.push_back(std::move(call));
        if (wakeUpPending_)
            return;
        wakeUpPending_ = true;
    }
    QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

void ThreadMailbox::deliver()
{
    std::vector<std::function<void()>> calls;
    {
        const std::lock_guard guard(lock_);
        calls.swap(calls_);
        wakeUpPending_ = false;
    }
    for (std::function<void()>& call : calls)
        call();
}
