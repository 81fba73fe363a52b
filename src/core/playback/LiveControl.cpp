#include "core/playback/LiveControl.h"

#include "core/CoreLog.h"

#include <chrono>

namespace {

// Behind live by less than this is live: the engine's own buffering.
constexpr std::int64_t kLiveMs = 1000;

} // namespace

LiveControl::LiveControl(PlayerTransport& transport, QObject* parent)
    : QObject(parent), transport_(transport), now_([] {
          using namespace std::chrono;
          return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
      })
{
    recheck_.setSingleShot(true);
    recheck_.setInterval(250);
    connect(&recheck_, &QTimer::timeout, this, &LiveControl::checkRecordingEnded);
}

void LiveControl::reset(bool byUser)
{
    shift_.reset();
    if (!recording_)
        return;
    if (byUser) {
        recording_.reset();
        recheck_.stop();
        emit recordingChanged();
    } else {
        endRecording(LiveRecorder::Stop::StreamEnded);
    }
}

std::int64_t LiveControl::reach() const
{
    const auto state = transport_.liveState();
    return state ? state->heldMs : 0;
}

bool LiveControl::isBehind() const
{
    return shift_.isHeld() || shift_.behindMs(now_(), reach()) >= kLiveMs;
}

std::optional<LiveControl::Where> LiveControl::where() const
{
    const auto state = transport_.liveState();
    if (!state)
        return std::nullopt;
    return Where{shift_.behindMs(now_(), state->heldMs), state->heldMs};
}

bool LiveControl::toggleHold()
{
    const auto state = transport_.liveState();
    if (!state)
        return false;
    if (!shift_.isHeld()) {
        shift_.hold(now_());
        transport_.holdLive(true);
    } else if (shift_.goOn(now_(), state->heldMs)) {
        // The held moment was let go meanwhile: on from the oldest one kept.
        qCDebug(lcTimeShift) << "held longer than the buffer reaches: on from its oldest moment";
        transport_.shiftLive(shift_.behindMs(now_(), state->heldMs));
    } else {
        transport_.holdLive(false);
    }
    emit moved();
    return true;
}

void LiveControl::shiftTo(std::int64_t behindMs)
{
    transport_.shiftLive(shift_.jumpTo(behindMs, reach()));
    emit moved();
}

bool LiveControl::jumpBy(std::int64_t milliseconds)
{
    if (!isAvailable())
        return false;
    shiftTo(shift_.behindMs(now_(), reach()) - milliseconds);
    return true;
}

bool LiveControl::jumpTo(std::int64_t fromOldestMs)
{
    if (!isAvailable())
        return false;
    shiftTo(reach() - fromOldestMs);
    return true;
}

bool LiveControl::backToLive()
{
    if (!isAvailable())
        return false;
    shiftTo(0);
    return true;
}

bool LiveControl::toggleRecording(const QString& path)
{
    if (recording_) {
        stopRecording();
        return true;
    }
    return startRecording(path);
}

void LiveControl::stopRecording()
{
    if (!recording_)
        return;
    transport_.stopRecording();
    recording_.reset();
    recheck_.stop();
    emit recordingChanged();
}

bool LiveControl::startRecording(const QString& path)
{
    if (recording_ || !isAvailable())
        return false;
    recording_ = Recording{path, now_()};
    transport_.startRecording(path, this, [this, path](bool started) {
        if (started || !recording_ || recording_->path != path)
            return;
        recording_.reset();
        recheck_.stop();
        emit recordingChanged();
        emit recordingRefused(path);
    });
    emit recordingChanged();
    return true;
}

std::int64_t LiveControl::recordingElapsedMs() const
{
    return recording_ ? now_() - recording_->startedMs : 0;
}

void LiveControl::liveEnded()
{
    rechecksLeft_ = kRechecks;
    checkRecordingEnded();
}

void LiveControl::checkRecordingEnded()
{
    if (!recording_)
        return;
    const auto state = transport_.liveState();
    if (!state) {
        // Busy for a moment, or the channel is gone and its recording with it.
        if (rechecksLeft_-- > 0)
            recheck_.start();
        else
            endRecording(LiveRecorder::Stop::StreamEnded);
        return;
    }
    if (state->recordingPath == recording_->path && !state->recording)
        endRecording(state->recordingStop);
}

void LiveControl::endRecording(LiveRecorder::Stop why)
{
    const QString path = recording_->path;
    recording_.reset();
    recheck_.stop();
    qCInfo(lcTimeShift) << "a recording ended by itself:" << int(why);
    emit recordingChanged();
    emit recordingEnded(why, path);
}
