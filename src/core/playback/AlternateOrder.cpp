#include "core/playback/AlternateOrder.h"

#include <algorithm>

void AlternateOrder::setKept(const std::vector<FirstAddress>& kept)
{
    kept_ = kept;
    if (kept_.size() > size_t(kKeptChannels))
        kept_.erase(kept_.begin(), kept_.end() - kKeptChannels);
}

bool AlternateOrder::playedAfterFailures(const ChannelKey& channel, const QString& played, const QString& listFirst)
{
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const FirstAddress& one) { return one.first == channel; });
    if (found != kept_.end()) {
        if (found->second == played)
            return false;
        kept_.erase(found);
    } else if (played == listFirst) {
        return false;
    }
    // The list's own order works again: nothing to keep.
    if (played != listFirst) {
        kept_.push_back({channel, played});
        if (kept_.size() > size_t(kKeptChannels))
            kept_.erase(kept_.begin());
    }
    return true;
}

std::vector<AddressCheck> AlternateOrder::whyNoneAnswered(const std::vector<ChannelAddress>& addresses) const
{
    std::vector<AddressCheck> reasons;
    for (const ChannelAddress& address : addresses) {
        const auto found = checked_.constFind(address.address);
        if (found == checked_.cend() || found->answered)
            return {};
        if (std::none_of(reasons.begin(), reasons.end(), [&](const AddressCheck& one) { return one.sameReason(*found); }))
            reasons.push_back(*found);
    }
    return reasons;
}

std::vector<ChannelAddress> AlternateOrder::ordered(const ChannelKey& channel, std::vector<ChannelAddress> addresses) const
{
    const auto answered = [this](const ChannelAddress& one) {
        const auto found = checked_.constFind(one.address);
        return found == checked_.cend() || found->answered;
    };
    if (!checked_.isEmpty())
        std::stable_partition(addresses.begin(), addresses.end(), answered);
    const auto kept = std::find_if(kept_.begin(), kept_.end(), [&](const FirstAddress& one) { return one.first == channel; });
    if (kept != kept_.end()) {
        const auto first = std::find_if(addresses.begin(), addresses.end(),
                                        [&](const ChannelAddress& one) { return one.address == kept->second; });
        if (first != addresses.end())
            std::rotate(addresses.begin(), first, first + 1);
    }
    return addresses;
}
