#pragma once

#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

// Hands calls from any thread to the thread of the mailbox's owner, where
// they run in the order they were posted.
//
// Qt's own queued calls would do the same, but they pass the call through
// Qt's locks, which ThreadSanitizer can't see in a Qt built without it: every
// hand-over then looks like a race, and real races hide among them. Here the
// call itself passes through a standard mutex, and only a wake-up without
// payload goes through Qt.
class ThreadMailbox final : public QObject {
    Q_OBJECT
public:
    // Lives in owner's thread, and is destroyed with owner.
    explicit ThreadMailbox(QObject* owner);

    // From any thread, while the mailbox exists.
    void post(std::function<void()> call);

private:
    Q_INVOKABLE void deliver();

    std::mutex lock_;
    std::vector<std::function<void()>> calls_;
    bool wakeUpPending_ = false;
};
