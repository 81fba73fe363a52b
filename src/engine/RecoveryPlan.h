#pragma once

#include <chrono>
#include <vector>

// What to do when a chosen source fails, one decision at a time.
//
// An address that never played is given up at once for the next one (the
// start watchdog or the error already took its time). One that played and
// dropped is opened again after growing waits, if it is a network address; a
// stretch of steady playing forgives the drops before it. When an address has
// used its attempts, the next one is tried; after the last, the choice fails.
class RecoveryPlan {
public:
    using Clock = std::chrono::steady_clock;
    struct Timing {
        std::vector<std::chrono::milliseconds> backoff{std::chrono::seconds(1), std::chrono::seconds(2),
                                                       std::chrono::seconds(4), std::chrono::seconds(8)};
        std::chrono::milliseconds steadyPlay{std::chrono::seconds(30)};
    };
    struct Step {
        enum class Kind { Reopen, NextAlternate, GiveUp };
        Kind kind = Kind::GiveUp;
        std::chrono::milliseconds delay{0}; // Reopen: how long to wait first
        int alternate = 0;                  // the address to open
    };

    // One flag per address: whether it may be opened again after a drop.
    RecoveryPlan(std::vector<bool> reconnectable, Timing timing);

    int alternate() const { return alternate_; }
    // Whether the address being tried has played at some point.
    bool hasPlayed() const { return played_; }
    // Whether any address of the choice has played.
    bool anyPlayed() const { return anyPlayed_; }

    // The address being tried plays.
    void playing(Clock::time_point now);
    // It failed to open, did not start in time, or dropped while it played.
    Step failed(Clock::time_point now);

private:
    std::vector<bool> reconnectable_;
    Timing timing_;
    int alternate_ = 0;
    int attemptsUsed_ = 0;
    bool played_ = false;
    bool anyPlayed_ = false;
    bool isPlaying_ = false;
    Clock::time_point playingSince_{};
};
