#pragma once

#include "MediaPlayer.h"
#include "RecoveryPlan.h"
#include "StallWatch.h"
#include "platform/TimeSource.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What keeps a choice going once it is made: the watchdog of an attempt that
// does not start, the plan for drops and the wait before a reconnect, and
// the readings that tell a stall while it plays. It decides when; the
// session acts on it.
class ChoiceRecovery {
public:
    struct Timing {
        RecoveryPlan::Timing plan;
        std::chrono::milliseconds reopenTimeout{10000}; // a reconnect or next address that does not start
        std::chrono::milliseconds stallTimeout{5000};   // nothing read or shown while playing
        std::chrono::milliseconds readingInterval{1000};
    };
    struct Handlers {
        std::function<void(std::chrono::milliseconds waited)> timedOut; // an attempt did not start
        std::function<void()> reopen;                                   // the wait before a reconnect is over
        std::function<void()> read;                                     // time for a reading of what plays
    };

    ChoiceRecovery(TimeSource& time, Handlers handlers);

    void setTiming(const Timing& timing) { timing_ = timing; }
    const Timing& timing() const { return timing_; }
    TimeSource::Clock::time_point now() const { return time_.now(); }

    // A new choice: one flag per address, whether it may be opened again after a drop.
    void begin(std::vector<bool> reconnectable);
    // The choice is over: nothing of it acts any more.
    void end();

    int alternate() const { return plan_ ? plan_->alternate() : 0; }
    bool anyPlayed() const { return plan_ && plan_->anyPlayed(); }

    // An attempt opens: it has this long to start.
    void opening(std::chrono::milliseconds timeout);
    // The start watchdog again from now, if it runs.
    void restartWatchdog(std::chrono::milliseconds timeout);
    // The attempt plays: readings from now on.
    void started();
    // It came to its end as it should: no more readings.
    void ended();
    // Held by the user: nothing shown is no stall. Resumed: the watch starts again from now.
    void paused();
    void resumed();
    // A reading of what plays; true when it has stalled.
    bool read(const MediaPlayer::Stats& reading);
    // What the last reading said (none since the start: zeros).
    const MediaPlayer::Stats& lastReading() const { return lastReading_; }
    // The attempt failed: what to do. A reconnect is called back after its wait.
    RecoveryPlan::Step failed();

    // The connection to a server allowing one ("host:port") was let go for
    // this choice's open: a refusal of its next open may be the server not
    // having counted the close yet.
    void connectionReleased(const QString& server);
    // An open of `server` that never started failed: true when it is tried
    // again (called back as a reconnect) after a short wait instead, soon
    // after that server's other connection was let go.
    bool retriedAfterRelease(const QString& server);
    // A source of known length (`lengthMs` when the player reports none) came
    // close to its end: an end, not a drop.
    bool reachedItsEnd(std::int64_t expectedLengthMs) const;

    // Services count their connections in a process of their own that learns
    // of a close within a second or two: three tries over 3.5 s cover that
    // and keep a real refusal short.
    static constexpr std::chrono::milliseconds kReleaseWaits[]{std::chrono::milliseconds(500), std::chrono::seconds(1),
                                                             std::chrono::seconds(2)};
    static constexpr std::chrono::seconds kReleaseNoticed{10};
    static constexpr std::int64_t kEndSlackMs = 3000;

private:
    TimeSource& time_;
    Handlers handlers_;
    Timing timing_;
    std::optional<RecoveryPlan> plan_;
    StallWatch stall_{std::chrono::milliseconds(5000)};
    MediaPlayer::Stats lastReading_;
    std::unique_ptr<TimeSource::Timer> watchdog_;
    std::unique_ptr<TimeSource::Timer> reopen_;
    std::unique_ptr<TimeSource::Timer> readings_;
    struct Release {
        QString server;
        TimeSource::Clock::time_point at;
        int retries = 0;
    };
    std::optional<Release> release_;
};
