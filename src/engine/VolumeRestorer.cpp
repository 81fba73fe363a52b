#include "VolumeRestorer.h"

VolumeRestorer::VolumeRestorer(TimeSource& time, PlayerAt players, CurrentGeneration generation, QObject* parent)
    : QObject(parent), players_(std::move(players)), generation_(std::move(generation))
{
    for (int index = 0; index < kPlayers; ++index)
        retries_[size_t(index)].timer = time.timer([this, index] { retry(index); }, true);
}

void VolumeRestorer::restore(int index)
{
    MediaPlayer* target = index >= 0 && index < kPlayers ? players_(index) : nullptr;
    if (!target)
        return;
    target->RestoreVolume();
    Retry& retry = retries_[size_t(index)];
    const std::uint64_t generation = generation_();
    if (retry.timer->isActive() && retry.generation == generation)
        return;
    retry.generation = generation;
    retry.left = kRetries;
    retry.timer->start(kInterval);
}

void VolumeRestorer::retry(int index)
{
    Retry& retry = retries_[size_t(index)];
    if (retry.generation != generation_() || --retry.left <= 0) {
        retry.timer->stop();
        return;
    }
    if (MediaPlayer* target = players_(index))
        target->RestoreVolume();
}
