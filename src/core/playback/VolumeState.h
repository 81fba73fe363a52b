#pragma once

#include <functional>
#include <optional>

// The volume as the window shows it and the player gets it: the number
// (what the player reported last), the level bar's width in pixels, whether
// the up step is refused, and what M silenced. One step is 50 on the number
// and 8 pixels on the bar; the up step stops once the bar has passed 80
// pixels. M shows 0 and an empty bar; M again, or the next step, brings back
// what there was (and the step then goes from it).
class VolumeState {
public:
    struct Look {
        int number = 0;
        int barWidth = 0;
        bool upDisabled = false;
        bool operator==(const Look&) const = default;
    };
    // Gives the player a level and returns the one it reports.
    using Player = std::function<int(int level)>;

    static constexpr int kStep = 50;
    static constexpr int kBarStep = 8;
    static constexpr int kTrackWidth = 80;

    VolumeState(Look initial, Player player) : look_(initial), player_(std::move(player)) {}

    const Look& look() const { return look_; }

    void stepUp();
    void stepDown();
    void toggleMute();

private:
    void unmute();
    void ask(int delta);

    Look look_;
    std::optional<Look> muted_;
    Player player_;
};
