#pragma once

#include "MediaPlayer.h"

#include <chrono>
#include <optional>

// Tells a source that stopped while the player still says it plays: libvlc
// sends no event when a stream just stops coming, the picture freezes. Any
// counter of the player that moves (bytes demuxed, pictures shown, audio
// decoded) is progress; none for the limit is a stall.
class StallWatch {
public:
    using Clock = std::chrono::steady_clock;

    explicit StallWatch(std::chrono::milliseconds limit) : limit_(limit) {}

    // Progress is expected from now on.
    void restart(Clock::time_point now);
    // Takes a reading; true once nothing has moved for the limit.
    bool stalled(const MediaPlayer::Stats& reading, Clock::time_point now);

private:
    std::chrono::milliseconds limit_;
    std::optional<MediaPlayer::Stats> last_;
    Clock::time_point lastProgress_{};
};
