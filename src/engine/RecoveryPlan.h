#pragma once

#include <chrono>
#include <vector>

// What to do when a chosen source fails, one decision at a time.
//
// An address that never played is given up at once for the next one (the
// start watchdog or the error already took its time). One that played and
// dropped is opened again after growing waits, if it is a network address. A
// reconnect that plays again (pictures or sound still coming some seconds
// after it started) was a success: the next drop starts the waits afresh, so
// a stream that drops now and then is never given up however often it comes
// back. Only drops that follow one another without it playing again in between
// use up the attempts, so a server that accepts and cuts at once is not
// hammered. When an address has used its attempts, the next one is tried;
// after the last, the choice fails.
class RecoveryPlan {
public:
    using Clock = std::chrono::steady_clock;
    struct Timing {
        std::vector<std::chrono::milliseconds> backoff{std::chrono::seconds(1), std::chrono::seconds(2),
                                                       std::chrono::seconds(4), std::chrono::seconds(8)};
        std::chrono::milliseconds steadyPlay{std::chrono::seconds(30)};
        // Pictures or sound still coming this long after a start: it played
        // again. Well past what a player plays out of its buffer after a server
        // has already cut the stream (the caching is 0.3 s, MPEG-TS holds up to
        // 0.7 s more), well short of the 20 s after which servers that cut
        // every connection commonly do so.
        std::chrono::milliseconds playedAgain{std::chrono::seconds(5)};
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
    // Whether any address of the choice has played.
    bool anyPlayed() const { return anyPlayed_; }

    // The address being tried plays.
    void playing(Clock::time_point now);
    // Pictures were shown or sound played now (a counter of the player moved).
    void progressed(Clock::time_point now);
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
