#include "Timer.h"

#include <algorithm>

Timer::Timer(QObject* parent) : QObject(parent)
{
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Timer::ticked);
}

void Timer::setPeriod(int milliseconds)
{
    const int period = std::max(milliseconds, 0);
    if (period == period_)
        return;
    period_ = period;
    timer_.stop();
    if (period_ > 0)
        timer_.start(period_);
}
