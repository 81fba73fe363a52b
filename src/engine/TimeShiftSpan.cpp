#include "TimeShiftSpan.h"

#include <algorithm>

void TimeShiftSpan::arrived(std::int64_t bytes, std::int64_t atMs)
{
    if (bytes <= 0)
        return;
    pieces_.push_back({end_, atMs});
    end_ += bytes;
    trim(atMs);
}

void TimeShiftSpan::trimAt(std::int64_t nowMs)
{
    trim(nowMs);
}

// A piece goes whole: the buffer on disk lets go of its oldest piece at once.
void TimeShiftSpan::trim(std::int64_t nowMs)
{
    while (!pieces_.empty()) {
        const Piece& oldest = pieces_.front();
        const bool tooOld = nowMs - oldest.atMs > bounds_.longestMs;
        const bool tooLarge = end_ - oldest.firstByte > bounds_.largestBytes;
        if (!tooOld && !tooLarge)
            break;
        pieces_.pop_front();
    }
}

std::int64_t TimeShiftSpan::byteBehind(std::int64_t behindMs) const
{
    if (pieces_.empty())
        return end_;
    const std::int64_t at = pieces_.back().atMs - std::max<std::int64_t>(behindMs, 0);
    // The first piece that came at or after that moment.
    const auto found = std::lower_bound(pieces_.begin(), pieces_.end(), at,
                                        [](const Piece& piece, std::int64_t moment) { return piece.atMs < moment; });
    return found == pieces_.end() ? pieces_.back().firstByte : found->firstByte;
}
