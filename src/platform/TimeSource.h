#pragma once

#include <chrono>
#include <functional>
#include <memory>

// The clock and the timers that rules with waits run on. The program uses
// the system's (Qt's timers, the steady clock); tests give a clock they move
// themselves, so that a 20 s wait takes no time and no test sleeps.
class TimeSource {
public:
    using Clock = std::chrono::steady_clock;

    // Runs out on the thread that made it; a repeating one starts again each time.
    class Timer {
    public:
        virtual ~Timer() = default;
        virtual void start(std::chrono::milliseconds interval) = 0; // from now, whether running or not
        virtual void stop() = 0;
        virtual bool isActive() const = 0;
        virtual std::chrono::milliseconds interval() const = 0;
    };

    virtual ~TimeSource() = default;
    virtual Clock::time_point now() const = 0;
    // `fire` is called each time the timer runs out, never after the timer is gone.
    virtual std::unique_ptr<Timer> timer(std::function<void()> fire, bool repeating = false) = 0;

    // Qt's timers and the steady clock.
    static TimeSource& system();
};
