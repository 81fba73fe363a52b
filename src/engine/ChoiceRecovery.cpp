#include "ChoiceRecovery.h"

#include <iterator>

ChoiceRecovery::ChoiceRecovery(TimeSource& time, Handlers handlers)
    : time_(time), handlers_(std::move(handlers)),
      watchdog_(time.timer([this] { handlers_.timedOut(watchdog_->interval()); })),
      reopen_(time.timer([this] { handlers_.reopen(); })), readings_(time.timer([this] { handlers_.read(); }, true))
{
}

void ChoiceRecovery::begin(std::vector<bool> reconnectable)
{
    end();
    release_.reset();
    plan_.emplace(std::move(reconnectable), timing_.plan);
    stall_ = StallWatch(timing_.stallTimeout);
}

void ChoiceRecovery::end()
{
    plan_.reset();
    watchdog_->stop();
    reopen_->stop();
    readings_->stop();
}

void ChoiceRecovery::opening(std::chrono::milliseconds timeout)
{
    readings_->stop();
    watchdog_->start(timeout);
}

void ChoiceRecovery::restartWatchdog(std::chrono::milliseconds timeout)
{
    if (watchdog_->isActive())
        watchdog_->start(timeout);
}

void ChoiceRecovery::started()
{
    watchdog_->stop();
    const auto now = time_.now();
    if (plan_)
        plan_->playing(now);
    stall_.restart(now);
    lastReading_ = {};
    readings_->start(timing_.readingInterval);
}

void ChoiceRecovery::ended()
{
    readings_->stop();
}

void ChoiceRecovery::paused()
{
    readings_->stop();
}

void ChoiceRecovery::resumed()
{
    stall_.restart(time_.now());
    readings_->start(timing_.readingInterval);
}

bool ChoiceRecovery::read(const MediaPlayer::Stats& reading)
{
    const MediaPlayer::Stats previous = std::exchange(lastReading_, reading);
    const auto now = time_.now();
    if (plan_ && (reading.displayedPictures > previous.displayedPictures || reading.decodedAudio > previous.decodedAudio))
        plan_->progressed(now);
    return stall_.stalled(reading, now);
}

RecoveryPlan::Step ChoiceRecovery::failed()
{
    watchdog_->stop();
    readings_->stop();
    if (!plan_)
        return {};
    const RecoveryPlan::Step step = plan_->failed(time_.now());
    if (step.kind == RecoveryPlan::Step::Kind::Reopen)
        reopen_->start(step.delay);
    return step;
}

void ChoiceRecovery::connectionReleased(const QString& server)
{
    release_ = Release{server, time_.now(), 0};
}

bool ChoiceRecovery::retriedAfterRelease(const QString& server)
{
    if (!release_ || server.isEmpty() || server != release_->server || time_.now() - release_->at > kReleaseNoticed ||
        release_->retries >= int(std::size(kReleaseWaits)))
        return false;
    watchdog_->stop();
    readings_->stop();
    reopen_->start(kReleaseWaits[release_->retries++]);
    return true;
}

bool ChoiceRecovery::reachedItsEnd(std::int64_t expectedLengthMs) const
{
    const std::int64_t length = lastReading_.lengthMs > 0 ? lastReading_.lengthMs : expectedLengthMs;
    return length > 0 && lastReading_.timeMs >= length - kEndSlackMs;
}
