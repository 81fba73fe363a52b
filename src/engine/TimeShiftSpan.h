#pragma once

#include <cstdint>
#include <deque>

// What a live channel's buffer on disk holds: the stream as it came, noted
// in pieces by arrival time, bounded by a length of time and by a size, the
// oldest let go first (while the picture is held too: the stream keeps
// coming). Positions are bytes from the stream's first byte and never move
// when the oldest end is let go; times are milliseconds of a steady clock.
class TimeShiftSpan {
public:
    struct Bounds {
        std::int64_t longestMs = 30 * 60 * 1000;
        std::int64_t largestBytes = std::int64_t(2) << 30;
    };

    explicit TimeShiftSpan(Bounds bounds) : bounds_(bounds) {}

    // `bytes` more came at `atMs`; what falls outside the bounds is let go.
    void arrived(std::int64_t bytes, std::int64_t atMs);
    // Nothing came for a while: what is older than the bound by now is let go.
    void trimAt(std::int64_t nowMs);

    // What is held: bytes [oldestByte, newestByte).
    std::int64_t oldestByte() const { return pieces_.empty() ? end_ : pieces_.front().firstByte; }
    std::int64_t newestByte() const { return end_; }
    // How far back it reaches, from the last arrival.
    std::int64_t heldMs() const { return pieces_.empty() ? 0 : pieces_.back().atMs - pieces_.front().atMs; }

    // The first byte that came `behindMs` before the last arrival; the oldest held when it reaches further.
    std::int64_t byteBehind(std::int64_t behindMs) const;
    // A reader's position the oldest end passed moves up to it.
    std::int64_t keptPosition(std::int64_t byte) const { return byte < oldestByte() ? oldestByte() : byte; }

private:
    struct Piece {
        std::int64_t firstByte = 0;
        std::int64_t atMs = 0;
    };
    void trim(std::int64_t nowMs);

    Bounds bounds_;
    std::deque<Piece> pieces_; // by arrival; a piece runs to the next one's first byte, the last to end_
    std::int64_t end_ = 0;
};
