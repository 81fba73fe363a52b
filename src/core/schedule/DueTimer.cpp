#include "core/schedule/DueTimer.h"

#include <algorithm>

DueTimer::DueTimer(WallClock clock, TimeSource& time, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), timer_(time.timer([this] { step(); }))
{
}

void DueTimer::wakeAt(qint64 when)
{
    wakesAt_ = when;
    if (when == 0) {
        timer_->stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(when - clock_(), 0, kLongestStepSeconds);
    timer_->start(std::chrono::seconds(wait));
}

void DueTimer::step()
{
    if (wakesAt_ == 0)
        return;
    if (clock_() < wakesAt_) {
        wakeAt(wakesAt_); // a step of a long wait, or the clock was set back
        return;
    }
    wakesAt_ = 0;
    emit due();
}
