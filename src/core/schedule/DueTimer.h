#pragma once

#include "platform/TimeSource.h"

#include <QObject>

#include <functional>
#include <memory>

// The one way timed plans (reminders, planned recordings) wait for their
// time: it wakes at the next due moment of the wall clock, seconds since 1970
// UTC, and not before. A wait runs on a TimeSource (tests move theirs) and is
// cut into steps of at most a minute, so that a wall clock set forward or
// back is noticed within one.
class DueTimer final : public QObject {
    Q_OBJECT
public:
    using WallClock = std::function<qint64()>;
    static constexpr qint64 kLongestStepSeconds = 60;

    explicit DueTimer(WallClock clock, TimeSource& time = TimeSource::system(), QObject* parent = nullptr);

    void setClock(WallClock clock) { clock_ = std::move(clock); }
    // Wakes at `when`; 0 when nothing is planned: it sleeps.
    void wakeAt(qint64 when);

signals:
    // The moment asked for came (or passed while the clock was set).
    void due();

private:
    void step();

    WallClock clock_;
    qint64 wakesAt_ = 0;
    std::unique_ptr<TimeSource::Timer> timer_;
};
