#pragma once

#include "platform/TimeSource.h"

#include <chrono>
#include <vector>

// A clock that moves only when the test says so; timers run out in order of
// their deadlines as it passes them, on the test's thread.
class ManualTime final : public TimeSource {
public:
    ~ManualTime() override;
    Clock::time_point now() const override { return now_; }
    std::unique_ptr<Timer> timer(std::function<void()> fire, bool repeating) override;

    // Moves the clock on, running out every timer due on the way.
    void advance(std::chrono::milliseconds by);
    // Whether any timer runs.
    bool anyActive() const;

private:
    class ManualTimer;
    friend class ManualTimer;

    Clock::time_point now_{std::chrono::hours(1)};
    std::vector<ManualTimer*> timers_;
};
