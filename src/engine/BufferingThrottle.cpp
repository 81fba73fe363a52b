#include "BufferingThrottle.h"

#include <algorithm>

BufferingThrottle::BufferingThrottle(TimeSource& time, QObject* parent)
    : QObject(parent), timer_(time.timer([this] {
          if (const std::optional<int> percent = std::exchange(pending_, std::nullopt))
              emit figure(*percent);
      }))
{
}

void BufferingThrottle::report(float cache)
{
    const int percent = std::clamp(int(cache), 0, 100);
    if (percent >= 100) {
        reset();
        emit figure(100);
        return;
    }
    pending_ = percent;
    if (!timer_->isActive())
        timer_->start(interval_);
}

void BufferingThrottle::reset()
{
    pending_.reset();
    timer_->stop();
}
