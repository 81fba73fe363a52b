#include "StreamRates.h"

void StreamRates::add(Clock::time_point at, const MediaPlayer::Stats& stats)
{
    if (!readings_.empty() && (stats.demuxBytes < readings_.back().bytes || stats.lostPictures < readings_.back().lost))
        readings_.clear();
    readings_.push_back({at, stats.demuxBytes, stats.lostPictures});
    // One reading older than the span stays, so that the span is covered whole.
    while (readings_.size() > 2 && at - readings_[1].at >= span_)
        readings_.pop_front();
}

std::optional<double> StreamRates::kilobitsPerSecond() const
{
    if (readings_.size() < 2)
        return std::nullopt;
    const auto elapsed = std::chrono::duration<double>(readings_.back().at - readings_.front().at).count();
    if (elapsed < 0.5)
        return std::nullopt;
    return double(readings_.back().bytes - readings_.front().bytes) * 8 / 1000 / elapsed;
}

std::int64_t StreamRates::lostPictures() const
{
    return readings_.size() < 2 ? 0 : readings_.back().lost - readings_.front().lost;
}
