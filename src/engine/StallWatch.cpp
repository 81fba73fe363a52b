#include "StallWatch.h"

void StallWatch::restart(Clock::time_point now)
{
    last_.reset();
    lastProgress_ = now;
}

bool StallWatch::stalled(const MediaPlayer::Stats& reading, Clock::time_point now)
{
    // Counters that went back mean a new input: that is progress too.
    const bool moved = !last_ || reading.demuxBytes != last_->demuxBytes ||
                       reading.displayedPictures != last_->displayedPictures ||
                       reading.decodedAudio != last_->decodedAudio;
    last_ = reading;
    if (moved)
        lastProgress_ = now;
    return now - lastProgress_ >= limit_;
}
