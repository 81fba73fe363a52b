#include "CheckPlan.h"

#include <algorithm>

CheckPlan::CheckPlan(std::vector<CheckTarget> targets, CheckLimits limits)
    : targets_(std::move(targets)), states_(targets_.size(), State::Waiting), limits_(limits)
{
    limits_.atOnce = std::max(1, limits_.atOnce);
    limits_.perHost = std::max(1, limits_.perHost);
}

bool CheckPlan::mayStart(int index) const
{
    const CheckTarget& target = targets_[size_t(index)];
    if (isInUse(index))
        return false;
    const int hostLimit = target.oneConnection ? 1 : limits_.perHost;
    return perHost_.value(target.host) < hostLimit;
}

int CheckPlan::startNext()
{
    if (running_ >= limits_.atOnce)
        return -1;
    while (firstWaiting_ < total() && states_[size_t(firstWaiting_)] != State::Waiting)
        ++firstWaiting_;
    for (int index = firstWaiting_; index < total(); ++index) {
        if (states_[size_t(index)] != State::Waiting || !mayStart(index))
            continue;
        states_[size_t(index)] = State::Running;
        ++perHost_[targets_[size_t(index)].host];
        ++running_;
        return index;
    }
    return -1;
}

void CheckPlan::ended(int index, bool again)
{
    if (index < 0 || index >= total() || states_[size_t(index)] != State::Running)
        return;
    --perHost_[targets_[size_t(index)].host];
    --running_;
    if (again) {
        states_[size_t(index)] = State::Waiting;
        firstWaiting_ = std::min(firstWaiting_, index);
        return;
    }
    states_[size_t(index)] = State::Done;
    ++done_;
}

std::vector<int> CheckPlan::giveUpIfOnlyBlocked()
{
    std::vector<int> given;
    if (running_ > 0)
        return given;
    for (int index = firstWaiting_; index < total(); ++index) {
        if (states_[size_t(index)] != State::Waiting)
            continue;
        if (mayStart(index))
            return {};
        given.push_back(index);
    }
    for (int index : given) {
        states_[size_t(index)] = State::Done;
        ++done_;
    }
    return given;
}
