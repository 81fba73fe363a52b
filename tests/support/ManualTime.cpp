#include "ManualTime.h"

#include <algorithm>

class ManualTime::ManualTimer final : public TimeSource::Timer {
public:
    ManualTimer(ManualTime& time, std::function<void()> fire, bool repeating)
        : time_(time), fire_(std::move(fire)), repeating_(repeating)
    {
        time_.timers_.push_back(this);
    }
    ~ManualTimer() override { std::erase(time_.timers_, this); }

    void start(std::chrono::milliseconds interval) override
    {
        interval_ = interval;
        deadline_ = time_.now_ + interval;
        active_ = true;
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    std::chrono::milliseconds interval() const override { return interval_; }

    Clock::time_point deadline() const { return deadline_; }
    void runOut()
    {
        if (repeating_)
            deadline_ += std::max(interval_, std::chrono::milliseconds(1));
        else
            active_ = false;
        fire_();
    }

private:
    ManualTime& time_;
    std::function<void()> fire_;
    bool repeating_;
    bool active_ = false;
    std::chrono::milliseconds interval_{0};
    Clock::time_point deadline_{};
};

ManualTime::~ManualTime() = default;

std::unique_ptr<TimeSource::Timer> ManualTime::timer(std::function<void()> fire, bool repeating)
{
    return std::make_unique<ManualTimer>(*this, std::move(fire), repeating);
}

void ManualTime::advance(std::chrono::milliseconds by)
{
    const Clock::time_point target = now_ + by;
    for (;;) {
        ManualTimer* next = nullptr;
        for (ManualTimer* timer : timers_)
            if (timer->isActive() && timer->deadline() <= target && (!next || timer->deadline() < next->deadline()))
                next = timer;
        if (!next)
            break;
        now_ = std::max(now_, next->deadline());
        next->runOut(); // may start, stop or destroy timers
    }
    now_ = target;
}

bool ManualTime::anyActive() const
{
    return std::any_of(timers_.begin(), timers_.end(), [](const ManualTimer* timer) { return timer->isActive(); });
}
