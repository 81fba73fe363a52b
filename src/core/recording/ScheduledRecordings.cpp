#include "core/recording/ScheduledRecordings.h"

#include "core/lists/ChannelNavigator.h"
#include "core/CoreLog.h"
#include "core/playback/PlaybackController.h"
#include "core/recording/Recording.h"
#include "core/settings/UserSettings.h"
#include "engine/BackgroundRecording.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

struct ScheduledRecordings::UnderWay {
    RecordingPlan plan;
    std::unique_ptr<BackgroundRecording> beside; // none: from the channel watched
    QString address;                              // the one recorded beside
};

ScheduledRecordings::ScheduledRecordings(Parts parts, QObject* parent)
    : QObject(parent), parts_(parts), now_([] { return QDateTime::currentSecsSinceEpoch(); }),
      due_(now_, parts.time ? *parts.time : TimeSource::system())
{
    connect(&due_, &DueTimer::due, this, &ScheduledRecordings::look);
    // A plan due whose channel was still opening records once it plays.
    connect(&parts_.playback, &PlaybackController::stateChanged, this, &ScheduledRecordings::look,
            Qt::QueuedConnection);
    // The channel watched changed or its recording stopped: a plan recorded from it is looked at again.
    connect(&parts_.playback.live(), &LiveControl::recordingChanged, this, &ScheduledRecordings::look,
            Qt::QueuedConnection);
    // At once, before the chosen channel's connection opens.
    connect(&parts_.playback, &PlaybackController::aboutToOpen, this, &ScheduledRecordings::makeRoomFor,
            Qt::DirectConnection);
}

// The channel watched comes first: a recording beside that holds the one
// connection of the server now chosen lets it go. The plan stays; the next
// look asks whether to switch to its channel and record it there.
void ScheduledRecordings::makeRoomFor(const Alternates& opening)
{
    const OneConnectionHosts& hosts = parts_.session.oneConnectionHosts();
    for (auto it = underWay_.begin(); it != underWay_.end();) {
        const QString& recorded = it->address;
        const bool sameServer = it->beside && hosts.isOneConnection(recorded) &&
                                std::any_of(opening.begin(), opening.end(), [&](const Alternate& one) {
                                    return OneConnectionHosts::sameServer(one.address, recorded);
                                });
        if (!sameServer) {
            ++it;
            continue;
        }
        qCInfo(lcTimeShift) << "the recording of" << it->plan.title << "gives way to the channel chosen on its server";
        finish(*it, false);
        it = underWay_.erase(it);
    }
    tellBeside();
}

void ScheduledRecordings::tellBeside()
{
    const int beside = int(std::count_if(underWay_.begin(), underWay_.end(), [](const UnderWay& one) { return bool(one.beside); }));
    if (beside == besideTold_)
        return;
    besideTold_ = beside;
    emit besideChanged(beside);
}

ScheduledRecordings::~ScheduledRecordings() = default;

void ScheduledRecordings::setWallClock(WallClock clock)
{
    now_ = clock;
    due_.setClock(std::move(clock));
}

RecordingPlans::Padding ScheduledRecordings::padding() const
{
    return parts_.settings ? parts_.settings->recordingPadding() : RecordingPlans::Padding{};
}

QString ScheduledRecordings::fileFor(const RecordingPlan& plan, qint64 at) const
{
    return QDir(recording::folder()).filePath(recording::fileName(plan.channel.name, QDateTime::fromSecsSinceEpoch(at)));
}

void ScheduledRecordings::keep()
{
    if (parts_.settings)
        parts_.settings->setRecordingPlans(parts_.plans.kept());
    emit plansChanged();
}

bool ScheduledRecordings::isPlanned(int entry, const Programme& programme) const
{
    const ChannelList& list = parts_.channels.list();
    return list.contains(entry) && parts_.plans.has(list.key(entry), programme.start);
}

bool ScheduledRecordings::toggle(int entry, const Programme& programme)
{
    const ChannelList& list = parts_.channels.list();
    if (!list.contains(entry) || list.isHeading(entry) || programme.stop <= now_())
        return false;
    const bool planned = parts_.plans.toggle({list.key(entry), programme.start, programme.stop, programme.title});
    keep();
    look();
    return planned;
}

void ScheduledRecordings::answer(const RecordingPlan& plan, bool switchAndRecord)
{
    if (!switchAndRecord || !parts_.plans.has(plan.channel, plan.start))
        return;
    const int entry = parts_.channels.list().find(plan.channel.name, plan.channel.address);
    if (entry < 0)
        return;
    std::erase(asked_, plan);
    parts_.playback.playEntry(entry); // recorded from it once it plays
}

bool ScheduledRecordings::isWatchedLive(const RecordingPlan& plan) const
{
    const PlaybackController& playback = parts_.playback;
    return playback.nowPlaying().generation != 0 && !playback.watchingBack() && playback.watchedChannel() == plan.channel;
}

void ScheduledRecordings::finish(UnderWay& running, bool planOver)
{
    if (running.beside)
        running.beside.reset();
    else if (isWatchedLive(running.plan))
        parts_.playback.live().stopRecording();
    if (planOver) {
        qCInfo(lcTimeShift) << "the recording of" << running.plan.title << "ended at its time";
        parts_.plans.remove(running.plan);
    }
}

void ScheduledRecordings::look()
{
    const qint64 now = now_();
    const RecordingPlans::Padding pad = padding();
    bool changed = false;
    // Those over, dropped, or whose watched recording went.
    for (auto it = underWay_.begin(); it != underWay_.end();) {
        const bool dropped = !parts_.plans.has(it->plan.channel, it->plan.start);
        const bool over = parts_.plans.to(it->plan, pad) <= now;
        LiveControl& live = parts_.playback.live();
        const bool watchedGone = !it->beside && (!isWatchedLive(it->plan) || !live.recording());
        if (!dropped && !over && !watchedGone) {
            ++it;
            continue;
        }
        if (watchedGone && !dropped && !over && isWatchedLive(it->plan) && live.isAvailable()) {
            // Its channel still plays and no longer records: the user's R ended it.
            qCInfo(lcTimeShift) << "the recording of" << it->plan.title << "was stopped by the user";
            parts_.plans.remove(it->plan);
        }
        finish(*it, over);
        changed = changed || over || watchedGone;
        it = underWay_.erase(it);
    }
    for (const RecordingPlan& plan : parts_.plans.over(now, pad)) {
        parts_.plans.remove(plan);
        changed = true;
    }
    // Those due and not under way.
    for (const RecordingPlan& plan : parts_.plans.due(now, pad)) {
        const bool running = std::any_of(underWay_.begin(), underWay_.end(), [&](const UnderWay& one) {
            return one.plan.start == plan.start && one.plan.channel == plan.channel;
        });
        if (!running && std::find(asked_.begin(), asked_.end(), plan) == asked_.end())
            begin(plan);
    }
    if (changed)
        keep();
    tellBeside();
    due_.wakeAt(parts_.plans.nextChange(now, pad));
}

void ScheduledRecordings::begin(const RecordingPlan& plan)
{
    PlaybackController& playback = parts_.playback;
    if (isWatchedLive(plan)) {
        LiveControl& live = playback.live();
        // Still opening: wait for it rather than open a second connection to the same channel.
        if (!live.isAvailable())
            return;
        if (live.recording() || live.startRecording(fileFor(plan, now_())))
            underWay_.push_back({plan, nullptr, {}});
        return;
    }
    const int entry = parts_.channels.list().find(plan.channel.name, plan.channel.address);
    const Alternates alternates = entry >= 0 ? playback.entryAlternates(entry) : Alternates{};
    if (alternates.empty()) {
        // Not in the list shown (yet): looked for again at the next look.
        qCDebug(lcTimeShift) << "the recording of" << plan.title << "has no channel" << plan.channel.name << "in the list";
        return;
    }
    const Alternate& source = alternates.front();
    const QString server = OneConnectionHosts::serverOf(source.address);
    const std::optional<Alternate> watched =
        playback.nowPlaying().generation != 0 ? parts_.session.currentAlternate() : std::nullopt;
    const bool takesOne = parts_.session.oneConnectionHosts().isOneConnection(source.address);
    if (recording::besideWatching(source.address, watched ? watched->address : QString(), takesOne) ==
        recording::Beside::OneConnection) {
        qCInfo(lcTimeShift) << "the recording of" << plan.title << "would take a second connection of" << server
                            << "; asking";
        asked_.push_back(plan);
        emit askSwitch(plan);
        return;
    }
    auto beside = std::make_unique<BackgroundRecording>(
        BackgroundRecording::Source{source.address, source.userAgent, source.referrer},
        [this, plan](qint64 at) { return fileFor(plan, at); });
    underWay_.push_back({plan, std::move(beside), source.address});
}
