#include "core/playback/LiveShift.h"

#include <algorithm>

std::int64_t LiveShift::behindMs(std::int64_t nowMs, std::int64_t reachMs) const
{
    const std::int64_t held = held_ ? std::max<std::int64_t>(nowMs - heldSince_, 0) : 0;
    return std::clamp<std::int64_t>(behindAtMove_ + held, 0, std::max<std::int64_t>(reachMs, 0));
}

void LiveShift::hold(std::int64_t nowMs)
{
    if (held_)
        return;
    held_ = true;
    heldSince_ = nowMs;
}

bool LiveShift::goOn(std::int64_t nowMs, std::int64_t reachMs)
{
    if (!held_)
        return false;
    const bool pastReach = behindAtMove_ + (nowMs - heldSince_) > reachMs;
    behindAtMove_ = behindMs(nowMs, reachMs);
    held_ = false;
    return pastReach;
}

std::int64_t LiveShift::jumpTo(std::int64_t behindMs, std::int64_t reachMs)
{
    held_ = false;
    behindAtMove_ = std::clamp<std::int64_t>(behindMs, 0, std::max<std::int64_t>(reachMs, 0));
    return behindAtMove_;
}
