#pragma once

#include "engine/PlaybackSession.h"

// What the tests look at and tune inside a playback session: its players,
// the one that shows, whether its thread is busy, its waits. Nothing of the
// program uses it.
class SessionProbe {
public:
    explicit SessionProbe(PlaybackSession& session) : session_(session) {}

    // Player 0, 1 or 2; null while it does not exist.
    MediaPlayer* player(int index) const { return session_.bank_.player(index); }
    // The player that shows now; the second one once a switch has used it.
    MediaPlayer& showingPlayer() const { return *player(session_.showing_); }
    int showingIndex() const { return session_.showing_; }
    // True while a request runs or waits on the players' thread.
    bool isOpenerBusy() const { return session_.bank_.isBusy(); }
    // A channel is opened ahead, ready or not.
    bool holdsPreopened() const { return session_.preopener_.preopened().has_value(); }

    // How long a choice may take to start playing before it counts as failed.
    void setStartTimeout(std::chrono::milliseconds timeout)
    {
        PlaybackSession::RecoveryTiming timing = session_.timing_;
        timing.startTimeout = timeout;
        session_.applyTiming(timing);
    }
    void setRecoveryTiming(const PlaybackSession::RecoveryTiming& timing) { session_.applyTiming(timing); }
    const PlaybackSession::RecoveryTiming& recoveryTiming() const { return session_.timing_; }

private:
    PlaybackSession& session_;
};
