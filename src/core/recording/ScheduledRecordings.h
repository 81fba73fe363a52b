#pragma once

#include "core/recording/RecordingPlans.h"
#include "core/schedule/DueTimer.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class BackgroundRecording;
class ChannelNavigator;
class PlaybackController;
class PlaybackSession;
class UserSettings;
struct Alternate;
struct Programme;
using Alternates = std::vector<Alternate>;

// Programmes recorded from the schedule, at their padded times. When one is
// due: the channel watched live is recorded from the connection that plays
// it; another channel over a connection of its own, beside it; but a channel
// of a server known to allow one connection, while a channel of that server
// plays, never opens a second one: the user is asked instead (askSwitch), and
// recording it means switching to it. A watched channel changed during its
// recording goes on beside where its server allows; the user's R on it ends
// the plan. A channel chosen on the one-connection server a recording beside
// uses takes its connection first: the recording ends, and the user is asked
// as above. Plans are kept in the settings file as they change.
class ScheduledRecordings final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        RecordingPlans& plans;
        PlaybackController& playback;
        PlaybackSession& session;
        ChannelNavigator& channels;
        UserSettings* settings = nullptr;
        TimeSource* time = nullptr; // what the plans' waits run on; the system's when none
    };
    using WallClock = std::function<qint64()>; // seconds since 1970 UTC

    explicit ScheduledRecordings(Parts parts, QObject* parent = nullptr);
    ~ScheduledRecordings() override;
    void setWallClock(WallClock clock);

    bool isPlanned(int entry, const Programme& programme) const;
    // Plans the programme of list entry `entry` (on now or still to come), or
    // drops its plan; true when it is planned now.
    bool toggle(int entry, const Programme& programme);
    // The user's answer to askSwitch.
    void answer(const RecordingPlan& plan, bool switchAndRecord);
    // Looks at the plans now (and then as their times come, and as what
    // plays or the list shown changes).
    void look();

signals:
    // The plan's server allows one connection, and the channel watched holds it.
    void askSwitch(const RecordingPlan& plan);
    // A plan was set, dropped or came to its end.
    void plansChanged();
    // How many plans record beside the channel watched, over connections of their own.
    void besideChanged(int recordings);

private:
    struct UnderWay;
    RecordingPlans::Padding padding() const;
    QString fileFor(const RecordingPlan& plan, qint64 at) const;
    void keep();
    void finish(UnderWay& running, bool planOver);
    void begin(const RecordingPlan& plan);
    bool isWatchedLive(const RecordingPlan& plan) const;
    void makeRoomFor(const Alternates& opening);
    void tellBeside();

    Parts parts_;
    WallClock now_;
    std::vector<UnderWay> underWay_;
    std::vector<RecordingPlan> asked_; // asked about or declined: not again
    int besideTold_ = 0;
    DueTimer due_; // the next plan's start or end
};
