#include "RecoveryPlan.h"

RecoveryPlan::RecoveryPlan(std::vector<bool> reconnectable, Timing timing)
    : reconnectable_(std::move(reconnectable)), timing_(std::move(timing))
{
}

void RecoveryPlan::playing(Clock::time_point now)
{
    played_ = true;
    anyPlayed_ = true;
    isPlaying_ = true;
    playingSince_ = now;
}

void RecoveryPlan::progressed(Clock::time_point now)
{
    if (isPlaying_ && now - playingSince_ >= timing_.playedAgain)
        attemptsUsed_ = 0;
}

RecoveryPlan::Step RecoveryPlan::failed(Clock::time_point now)
{
    if (isPlaying_ && now - playingSince_ >= timing_.steadyPlay)
        attemptsUsed_ = 0;
    isPlaying_ = false;
    const auto count = int(reconnectable_.size());
    const bool reopenable = alternate_ < count && reconnectable_[size_t(alternate_)];
    if (played_ && reopenable && attemptsUsed_ < int(timing_.backoff.size()))
        return {Step::Kind::Reopen, timing_.backoff[size_t(attemptsUsed_++)], alternate_};
    if (alternate_ + 1 < count) {
        ++alternate_;
        attemptsUsed_ = 0;
        played_ = false;
        return {Step::Kind::NextAlternate, std::chrono::milliseconds(0), alternate_};
    }
    return {Step::Kind::GiveUp, std::chrono::milliseconds(0), alternate_};
}
