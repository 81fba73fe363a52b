#include "core/playback/PlaybackController.h"

#include "core/CoreLog.h"
#include "core/guide/GuideText.h"
#include "core/recording/Recording.h"
#include "core/settings/UserSettings.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

using Phase = PlaybackStatus::Phase;

PlaybackController::PlaybackController(Parts parts, QObject* parent)
    : QObject(parent), session_(parts.session), channels_(parts.channels), alternates_(parts.alternates),
      pictures_(parts.pictures), settings_(parts.settings), video_(parts.video),
      now_([] { return QDateTime::currentSecsSinceEpoch(); }), live_(parts.session.transport())
{
    connect(&session_, &PlaybackSession::statusChanged, this, &PlaybackController::onStatus);
    connect(&live_, &LiveControl::moved, this, &PlaybackController::onLiveMoved);
    connect(&session_, &PlaybackSession::showing, this, &PlaybackController::playerShown);
    connect(&session_, &PlaybackSession::stopped, this, &PlaybackController::playersStopped);
    connect(&session_, &PlaybackSession::liveEnded, &live_, &LiveControl::liveEnded);
}

void PlaybackController::onLiveMoved()
{
    PlaybackTitle title = title_;
    title.kind = playingKind();
    showTitle(title);
    emit positionMoved();
    emit stateChanged(state());
}

PlaybackController::State PlaybackController::state() const
{
    if (playing_.generation == 0 || phase_ == Phase::Ended || phase_ == Phase::Failed)
        return State::Stopped;
    return isPaused() ? State::Paused : State::Playing;
}

void PlaybackController::showTitle(PlaybackTitle title)
{
    if (title == title_)
        return;
    title_ = std::move(title);
    emit titleChanged(title_);
}

PlaybackTitle::Kind PlaybackController::playingKind() const
{
    return isPaused()           ? PlaybackTitle::Kind::Paused
           : watchingBack_      ? PlaybackTitle::Kind::WatchingBack
           : live_.isBehind()   ? PlaybackTitle::Kind::BehindLive
                                : PlaybackTitle::Kind::Playing;
}

int PlaybackController::entryOf(const ChannelKey& channel) const
{
    return channels_.list().find(channel.name, channel.address);
}

std::vector<Programme> PlaybackController::scheduleOf(int entry) const
{
    return guide_ && entry >= 0 ? guide_->programmes(entry) : std::vector<Programme>{};
}

Alternates PlaybackController::entryAlternates(int index, QStringList* labels) const
{
    Alternates alternates;
    const ChannelList& list = channels_.list();
    if (!list.contains(index))
        return alternates;
    const PictureSettings picture = pictureOf(list.key(index));
    for (const ChannelAddress& read : alternates_.ordered(list.key(index), list.addresses(index))) {
        alternates.push_back({read.address, read.label, read.userAgent, read.referrer, picture});
        alternates.back().timeShift = timeShift_;
        if (labels)
            *labels << read.label;
    }
    return alternates;
}

PictureSettings PlaybackController::pictureOf(const ChannelKey& channel) const
{
    PictureSettings picture = pictures_.of(channel);
    if (picture.shape == PictureSettings::Shape::Fill)
        picture.area = video_.size();
    return picture;
}

void PlaybackController::playEntry(int index)
{
    const ChannelList& list = channels_.list();
    // An empty list is the window's to say; a group heading is no channel.
    if (list.count() == 0 || list.isHeading(index))
        return;
    currentAddress_ = list.written(index);
    QStringList labels;
    Alternates alternates = entryAlternates(index, &labels);
    if (alternates.empty()) // nothing selected, or an empty address: opened as it stands
        alternates.push_back({currentAddress_, {}, {}, {}});

    watchingBack_.reset(); // a channel chosen plays live
    live_.reset(true);
    NowPlaying chosen{0, list.name(index), labels, list.key(index), {}, {}};
    for (const Alternate& alternate : alternates)
        chosen.addresses << alternate.address;
    const std::vector<ChannelAddress> listed = list.addresses(index);
    chosen.listFirst = listed.empty() ? QString() : listed.front().address;
    playing_ = chosen;
    // The channel the user is likely to go to next, opened ahead once this one is asked for.
    const int next = channels_.chose(index);
    if (index >= 0 && settings_)
        settings_->setLastChannel({chosen.name, currentAddress_});
    showTitle({PlaybackTitle::Kind::Playing, chosen.name, labels.value(0), 100, {}});
    emit aboutToOpen(alternates);
    playing_.generation = session_.play(alternates, video_.playerWindows(), cachingMs_);
    phase_ = Phase::Opening;
    preopen(next);
    emit addressInUse(playing_.addresses.value(0));
    emit entryPlayed(index);
    emit stateChanged(state());
}

void PlaybackController::playNeighbour(int direction, int selected)
{
    if (const int next = channels_.neighbourToPlay(selected, direction); next >= 0)
        playEntry(next);
}

bool PlaybackController::playNumber(int number)
{
    const int index = channels_.numbered(number);
    if (index < 0)
        return false;
    playEntry(index);
    return true;
}

void PlaybackController::playPrevious()
{
    if (const int previous = channels_.previousToPlay(); previous >= 0)
        playEntry(previous);
}

void PlaybackController::stop()
{
    showTitle({});
    playing_ = {};
    watchingBack_.reset();
    live_.reset(true);
    session_.stop();
    emit addressInUse({});
    emit stateChanged(state());
}

void PlaybackController::stopOrPlayAgain()
{
    if (playing_.generation != 0) {
        stop();
        return;
    }
    if (const int last = channels_.lastPlayed(); last >= 0)
        playEntry(last);
}

void PlaybackController::pauseOrStopOrPlayAgain()
{
    PlayerTransport& transport = session_.transport();
    if (playing_.generation != 0 && !watchingBack_ && live_.toggleHold())
        return;
    if (playing_.generation != 0 && transport.setPaused(!transport.isPaused())) {
        PlaybackTitle held = title_;
        held.kind = playingKind();
        held.bufferPercent = 100;
        showTitle(held);
        emit positionMoved();
        emit stateChanged(state());
        return;
    }
    stopOrPlayAgain();
}

void PlaybackController::play()
{
    if (playing_.generation == 0)
        stopOrPlayAgain(); // nothing plays: the channel chosen last plays again
    else if (isPaused())
        pauseOrStopOrPlayAgain();
}

void PlaybackController::pause()
{
    if (state() == State::Playing)
        pauseOrStopOrPlayAgain(); // a live channel stops, as Space does
}

std::optional<PlaybackController::Position> PlaybackController::position() const
{
    if (!watchingBack_ && playing_.generation != 0) {
        if (const std::optional<LiveControl::Where> where = live_.where())
            return Position{where->reachMs - where->behindMs, where->reachMs, true};
    }
    const std::optional<PlayerTransport::Position> position = session_.transport().position();
    if (!position)
        return std::nullopt;
    if (watchingBack_)
        return Position{watchingBack_->fromSecond * 1000 + position->timeMs,
                        (watchingBack_->programme.stop - watchingBack_->programme.start) * 1000};
    return Position{position->timeMs, position->lengthMs};
}

void PlaybackController::jumpBy(std::int64_t milliseconds)
{
    if (!watchingBack_ && playing_.generation != 0) {
        if (const std::optional<LiveControl::Where> where = live_.where()) {
            const std::int64_t behind = where->behindMs - milliseconds;
            if (behind <= where->reachMs || !watchBackFromLive(behind))
                live_.jumpBy(milliseconds);
            return;
        }
    }
    if (const std::optional<Position> shown = position())
        jumpTo(shown->timeMs + milliseconds);
}

// Further back than the live channel's buffer reaches: the programme of that
// moment from the server, where the channel has catch-up and a guide for it.
bool PlaybackController::watchBackFromLive(std::int64_t behindMs)
{
    const int entry = channels_.lastPlayed();
    const std::optional<CatchupRule> rule = catchupRuleOf(entry);
    if (!rule)
        return false;
    const qint64 now = now_();
    const qint64 moment = now - behindMs / 1000;
    if (moment < now - qint64(rule->days) * 86400)
        return false;
    for (const Programme& programme : scheduleOf(entry)) {
        if (programme.start <= moment && moment < programme.stop) {
            watchBack(entry, programme, moment - programme.start);
            return true;
        }
    }
    return false;
}

void PlaybackController::backToLive()
{
    if (!watchingBack_ && playing_.generation != 0)
        live_.backToLive();
}

void PlaybackController::toggleRecording()
{
    if (watchingBack_ || playing_.generation == 0)
        return;
    const QString path = QDir(recording::folder())
                             .filePath(recording::fileName(playing_.name, QDateTime::fromSecsSinceEpoch(now_())));
    live_.toggleRecording(path);
}

void PlaybackController::jumpTo(std::int64_t milliseconds)
{
    if (!watchingBack_ && playing_.generation != 0 && live_.jumpTo(milliseconds))
        return;
    PlayerTransport& transport = session_.transport();
    const std::optional<PlayerTransport::Position> position = transport.position();
    if (!position)
        return;
    if (watchingBack_) {
        const WatchingBack back = *watchingBack_;
        const std::int64_t length = (back.programme.stop - back.programme.start) * 1000;
        const std::int64_t target = std::clamp<std::int64_t>(milliseconds, 0, std::max<std::int64_t>(length - 1000, 0));
        const std::int64_t inStream = target - back.fromSecond * 1000;
        // Within what the stream has and can seek: there; else the server is asked from there.
        if (position->seekable && inStream >= 0 && inStream <= position->lengthMs)
            transport.seek(inStream);
        else
            watchBack(entryOf(back.channel), back.programme, target / 1000);
    } else if (position->seekable) {
        transport.seek(std::clamp<std::int64_t>(milliseconds, 0, position->lengthMs));
    }
    emit positionMoved();
}

std::optional<CatchupRule> PlaybackController::catchupRuleOf(int entry) const
{
    const ChannelList& list = channels_.list();
    if (!list.contains(entry) || list.isHeading(entry))
        return std::nullopt;
    const Alternates alternates = entryAlternates(entry);
    if (alternates.empty())
        return std::nullopt;
    const CatchupSettings settings = settings_ ? settings_->catchup() : CatchupSettings{};
    QString why;
    std::optional<CatchupRule> rule =
        catchupRuleFor(alternates.front().address, list.tags(entry), list.listTags(), settings, &why);
    if (!rule && !why.isEmpty())
        qCWarning(lcCatchup) << list.name(entry) << "has no catch-up:" << why;
    return rule;
}

int PlaybackController::catchupDaysOfList() const
{
    const ChannelList& list = channels_.list();
    const CatchupSettings settings = settings_ ? settings_->catchup() : CatchupSettings{};
    int days = 0;
    for (int index = list.favouriteRows(); index < list.count(); ++index) {
        if (list.isHeading(index))
            continue;
        const std::vector<ChannelAddress> addresses = list.addresses(index);
        if (addresses.empty())
            continue;
        if (const auto rule = catchupRuleFor(addresses.front().address, list.tags(index), list.listTags(), settings, nullptr))
            days = std::max(days, rule->days);
    }
    return days;
}

void PlaybackController::watchBack(int entry, const Programme& programme, qint64 fromSecond)
{
    live_.reset(true);
    const std::optional<CatchupRule> rule = catchupRuleOf(entry);
    const Alternates live = entryAlternates(entry);
    if (!rule || live.empty())
        return;
    const ChannelList& list = channels_.list();
    const Programme asked = withEnd(programme, scheduleOf(entry));
    fromSecond = std::clamp<qint64>(fromSecond, 0, std::max<qint64>(asked.stop - asked.start - 1, 0));
    QStringList unknown;
    Alternate back = live.front(); // its headers and picture go with it
    back.address = catchupAddress(*rule, asked.start + fromSecond, asked.stop, now_(), &unknown);
    back.label.clear();
    if (!unknown.isEmpty())
        qCWarning(lcCatchup) << "placeholders left as written:" << unknown << "in" << rule->address;

    watchingBack_ = WatchingBack{list.key(entry), asked, fromSecond};
    playing_.name = watchedBackName(list.name(entry), asked);
    playing_.labels.clear();
    playing_.channel = list.key(entry);
    playing_.addresses.clear();
    playing_.listFirst.clear();
    showTitle({PlaybackTitle::Kind::WatchingBack, playing_.name, {}, 100, {}});
    emit aboutToOpen({back});
    playing_.generation = session_.play({back}, video_.playerWindows(), cachingMs_);
    session_.setExpectedLength((asked.stop - asked.start - fromSecond) * 1000);
    phase_ = Phase::Opening;
    emit stateChanged(state());
}

// A programme watched back came to its end: the next of its channel follows,
// or the channel live when the next has not begun.
void PlaybackController::followWithNextProgramme()
{
    if (!watchingBack_)
        return;
    const WatchingBack ended = *watchingBack_;
    const int entry = entryOf(ended.channel);
    const std::optional<Programme> next = programmeAfter(ended.programme, scheduleOf(entry));
    if (next && next->start <= now_()) {
        watchBack(entry, *next);
        return;
    }
    watchingBack_.reset();
    if (entry >= 0)
        playEntry(entry); // caught up with what is on: the channel live
}

void PlaybackController::onStatus(const PlaybackStatus& status)
{
    if (status.generation == 0 || status.generation != playing_.generation)
        return;
    phase_ = status.phase;
    const QString address = playing_.addresses.value(status.alternate);
    PlaybackTitle title{playingKind(), playing_.name, playing_.labels.value(status.alternate), status.bufferPercent, {}};
    switch (status.phase) {
    case Phase::Opening:
        emit addressInUse(address);
        break;
    case Phase::Playing:
        emit addressInUse(address);
        // The earlier addresses failed and this one plays: it goes first next time.
        if (status.alternate > 0 && !watchingBack_ && address.size() > 0 &&
            alternates_.playedAfterFailures(playing_.channel, address, playing_.listFirst) && settings_)
            settings_->setFirstAddresses(alternates_.kept());
        break;
    case Phase::Reconnecting:
        live_.reset(false); // a new connection: a new buffer
        title.kind = PlaybackTitle::Kind::Reconnecting;
        break;
    case Phase::Ended:
        title.bufferPercent = 100;
        if (watchingBack_) {
            // Not from inside the session's own report: the next choice comes after it.
            QMetaObject::invokeMethod(
                this,
                [this, generation = status.generation] {
                    if (playing_.generation == generation)
                        followWithNextProgramme();
                },
                Qt::QueuedConnection);
        }
        break;
    case Phase::Failed:
        title = {PlaybackTitle::Kind::Failed, playing_.name, {}, 100, status.failure};
        break;
    }
    showTitle(title);
    emit stateChanged(state());
}

int PlaybackController::watchedEntry() const
{
    if (playing_.generation == 0)
        return -1;
    const int entry = watchingBack_ ? entryOf(watchingBack_->channel) : channels_.lastPlayed();
    return channels_.list().contains(entry) ? entry : -1;
}

ChannelKey PlaybackController::watchedChannel() const
{
    if (watchingBack_) {
        const int entry = watchedEntry();
        return entry >= 0 ? channels_.list().key(entry) : ChannelKey{};
    }
    return playing_.generation ? playing_.channel : ChannelKey{};
}

void PlaybackController::preopen(int entry)
{
    if (entry < 0)
        return;
    const Alternates alternates = entryAlternates(entry);
    if (!alternates.empty())
        session_.preopen(alternates, video_.playerWindows(), cachingMs_);
}

void PlaybackController::preopenBeforeAnyChoice(int entry)
{
    const Alternates alternates = entryAlternates(entry);
    if (!alternates.empty())
        session_.preopenBeforeAnyChoice(alternates, video_.playerWindows(), cachingMs_);
}
