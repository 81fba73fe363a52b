#pragma once

#include "platform/TimeSource.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>

// The buffering figure for the title, while a source opens or re-buffers: a
// few times a second at most, and only once filling the buffer takes a moment
// (a local file fills it at once, and the title does not flicker). A full
// buffer is told at once.
class BufferingThrottle final : public QObject {
    Q_OBJECT
public:
    explicit BufferingThrottle(TimeSource& time, QObject* parent = nullptr);

    void setInterval(std::chrono::milliseconds interval) { interval_ = interval; }
    // A figure from the player, 0 to 100.
    void report(float cache);
    // What waits is not told: a new open, a start, the end of a choice.
    void reset();

signals:
    void figure(int percent);

private:
    std::unique_ptr<TimeSource::Timer> timer_;
    std::chrono::milliseconds interval_{250};
    std::optional<int> pending_;
};
