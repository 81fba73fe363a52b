#pragma once

#include <cstdint>

// How far behind live a live channel plays from its time-shift buffer, and
// what Space and the jumps make of it. The distance is counted from the last
// jump plus the time held since (not from where the engine reads, which is
// ahead of the picture), and never beyond what the buffer reaches. Times are
// a steady clock's milliseconds.
class LiveShift {
public:
    // Live again: a new channel, or back to live.
    void reset() { *this = LiveShift{}; }

    bool isHeld() const { return held_; }
    std::int64_t behindMs(std::int64_t nowMs, std::int64_t reachMs) const;

    void hold(std::int64_t nowMs);
    // Goes on from the held picture. False: the engine goes on from the
    // picture it holds. True: the buffer let that moment go meanwhile, and
    // the channel is to play from the oldest moment it keeps (behindMs() then).
    bool goOn(std::int64_t nowMs, std::int64_t reachMs);
    // A jump to `behindMs` behind live, kept within [0, reach]; it plays from there.
    std::int64_t jumpTo(std::int64_t behindMs, std::int64_t reachMs);

private:
    std::int64_t behindAtMove_ = 0;
    std::int64_t heldSince_ = 0;
    bool held_ = false;
};
