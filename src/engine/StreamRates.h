#pragma once

#include "MediaPlayer.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

// The bit rate read and the pictures lost over the last seconds, from the
// player's counters read now and then. Counters that go back (a reconnect
// opened the source again) start the span over.
class StreamRates {
public:
    using Clock = std::chrono::steady_clock;

    explicit StreamRates(std::chrono::milliseconds span = std::chrono::seconds(5)) : span_(span) {}

    void add(Clock::time_point at, const MediaPlayer::Stats& stats);
    void clear() { readings_.clear(); }
    // Kilobits a second; empty until the readings span half a second.
    std::optional<double> kilobitsPerSecond() const;
    std::int64_t lostPictures() const;

private:
    struct Reading {
        Clock::time_point at;
        std::int64_t bytes = 0;
        std::int64_t lost = 0;
    };
    std::chrono::milliseconds span_;
    std::deque<Reading> readings_;
};
