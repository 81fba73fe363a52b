#pragma once

#include "core/playback/LiveShift.h"
#include "engine/PlayerTransport.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

// Holding, going back in and recording the live channel that plays, when the
// program reads it through a time-shift buffer: all of it from the one
// connection that plays it. The playback controller passes the user's
// requests on and tells it when the channel changes.
class LiveControl final : public QObject {
    Q_OBJECT
public:
    using SteadyClock = std::function<std::int64_t()>; // milliseconds
    // Where it plays in the buffer: `behindMs` before live, which reaches `reachMs` back.
    struct Where {
        std::int64_t behindMs = 0;
        std::int64_t reachMs = 0;
    };
    // A recording under way: its file and when it started.
    struct Recording {
        QString path;
        std::int64_t startedMs = 0;
    };

    explicit LiveControl(PlayerTransport& transport, QObject* parent = nullptr);
    void setSteadyClock(SteadyClock clock) { now_ = std::move(clock); }

    // The channel changed, was opened again or stopped: live, not held. Its
    // recording, if any, ended with its connection; recordingEnded() says so
    // when the user did not ask for it (a reconnect).
    void reset(bool byUser);

    // What plays is such a channel, and plays.
    bool isAvailable() const { return transport_.liveState().has_value(); }
    bool isHeld() const { return shift_.isHeld(); }
    // It plays (or is held) behind live.
    bool isBehind() const;
    std::optional<Where> where() const;

    // Space: holds it, or goes on from where it was held. False when not available.
    bool toggleHold();
    // ←/→: moves within what the buffer holds. False when not available.
    bool jumpBy(std::int64_t milliseconds);
    // A place on the bar, from the oldest moment held.
    bool jumpTo(std::int64_t fromOldestMs);
    // End: live again.
    bool backToLive();

    // R: records what it sends into `path` from now on, or stops the recording.
    bool toggleRecording(const QString& path);
    // Records into `path` from now on; false when nothing can be recorded or one is under way.
    bool startRecording(const QString& path);
    void stopRecording();
    const std::optional<Recording>& recording() const { return recording_; }
    std::int64_t recordingElapsedMs() const;
    // The player told that its live channel ended or that its recording
    // stopped by itself: whether the recording under way did.
    void liveEnded();

signals:
    // Held, going on, or moved: the title and the bar follow.
    void moved();
    void recordingChanged();
    // A recording ended without the user asking: the disk ran short, a write
    // failed, the stream dropped or the channel changed.
    void recordingEnded(LiveRecorder::Stop why, const QString& path);
    // A recording could not start.
    void recordingRefused(const QString& path);

private:
    std::int64_t reach() const;
    void shiftTo(std::int64_t behindMs);
    void checkRecordingEnded();
    void endRecording(LiveRecorder::Stop why);

    PlayerTransport& transport_;
    SteadyClock now_;
    LiveShift shift_;
    std::optional<Recording> recording_;
    // The player was busy when it told of an end: asked again shortly, a few times.
    static constexpr int kRechecks = 8;
    QTimer recheck_;
    int rechecksLeft_ = 0;
};
