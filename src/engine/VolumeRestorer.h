#pragma once

#include "MediaPlayer.h"

#include "platform/TimeSource.h"

#include <QObject>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// A new audio output starts at the level an earlier output of its player had,
// libvlc reports it (the volume event) before the player can be asked about
// it, and the output may set its level again while it starts. So for a while
// after a choice starts playing, its player's level is checked every so often
// and put back to the kept one; a newer choice ends that.
class VolumeRestorer final : public QObject {
    Q_OBJECT
public:
    static constexpr int kPlayers = 3;
    static constexpr std::chrono::milliseconds kInterval{100};
    static constexpr int kRetries = 100; // ten seconds: a busy machine starts audio late

    using PlayerAt = std::function<MediaPlayer*(int index)>;
    using CurrentGeneration = std::function<std::uint64_t()>;
    VolumeRestorer(TimeSource& time, PlayerAt players, CurrentGeneration generation, QObject* parent = nullptr);

    // The kept level back on this player now, and again for a while during this generation.
    void restore(int index);

private:
    struct Retry {
        std::unique_ptr<TimeSource::Timer> timer;
        std::uint64_t generation = 0;
        int left = 0;
    };
    void retry(int index);

    PlayerAt players_;
    CurrentGeneration generation_;
    std::array<Retry, kPlayers> retries_;
};
