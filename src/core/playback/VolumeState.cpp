#include "core/playback/VolumeState.h"

#include <algorithm>
#include <utility>

void VolumeState::stepUp()
{
    unmute();
    if (look_.barWidth > kTrackWidth) {
        look_.upDisabled = true;
        return;
    }
    look_.barWidth += kBarStep;
    ask(+kStep);
}

void VolumeState::stepDown()
{
    unmute();
    look_.barWidth = std::max(look_.barWidth - kBarStep, 0);
    ask(-kStep);
    if (look_.barWidth <= kTrackWidth)
        look_.upDisabled = false;
}

void VolumeState::toggleMute()
{
    if (muted_) {
        unmute();
        return;
    }
    muted_ = look_;
    player_(0);
    look_.number = 0;
    look_.barWidth = 0;
}

void VolumeState::unmute()
{
    if (!muted_)
        return;
    look_ = *std::exchange(muted_, std::nullopt);
    player_(std::max(look_.number, 0));
}

// No level below 0 is asked for; the player has nothing to give there.
void VolumeState::ask(int delta)
{
    look_.number = player_(std::max(look_.number + delta, 0));
}
