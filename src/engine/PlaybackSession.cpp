#include "PlaybackSession.h"

#include <QPointer>

#include "EngineLog.h"
#include "SourceAddress.h"

#include <cstdlib>

using Phase = PlaybackStatus::Phase;
using Type = MediaPlayer::Event::Type;

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players,
                                 TimeSource& time, QObject* parent)
    : QObject(parent), bank_(std::move(factory), std::move(first), players),
      recovery_(time, {[this](std::chrono::milliseconds waited) { onStartTimeout(waited); },
                       [this] { openAttempt(false); }, [this] { checkStall(); }}),
      preopener_(bank_, hosts_, time, [this] { return choiceView(); }, [this] { return ++attempts_; }),
      buffering_(time), volume_(time, [this](int index) { return player(index); }, [this] { return generation_; })
{
    setRecoveryTiming(timing_);
    connect(&bank_, &PlayerBank::opened, this, &PlaybackSession::onOpened);
    connect(&bank_, &PlayerBank::event, this, &PlaybackSession::onEvent);
    connect(&bank_, &PlayerBank::stopped, this, &PlaybackSession::stopped);
    connect(&bank_, &PlayerBank::showing, this, &PlaybackSession::showing);
    connect(&bank_, &PlayerBank::othersMade, this, [this] { preopener_.retryWaiting(); });

    connect(&buffering_, &BufferingThrottle::figure, this, [this](int percent) {
        if (!choice_ || (percent == 100 && choice_->status.bufferPercent == 100))
            return;
        choice_->status.bufferPercent = percent;
        publish();
    });
}

PlaybackSession::~PlaybackSession()
{
    shutdown();
}

void PlaybackSession::setRecoveryTiming(const RecoveryTiming& timing)
{
    timing_ = timing;
    buffering_.setInterval(timing.bufferingUpdate);
    recovery_.setTiming({{timing.backoff, timing.steadyPlay, timing.playedAgain},
                         timing.reopenTimeout,
                         timing.stallTimeout,
                         timing.statsInterval});
}

void PlaybackSession::setStartTimeout(std::chrono::milliseconds timeout)
{
    startTimeout_ = timeout;
    preopener_.setStartTimeout(timeout);
    if (choice_ && !choice_->startedOnce)
        recovery_.restartWatchdog(startTimeout_);
}

void PlaybackSession::onStartTimeout(std::chrono::milliseconds waited)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
    qCInfo(lcEngine) << "attempt" << attempts_ << "did not start in" << seconds << "s";
    recover(QStringLiteral("%1 秒内没有开始播放").arg(seconds));
}

bool PlaybackSession::isUsable() const
{
    const MediaPlayer* first = player(0);
    return first && first->isUsable();
}

std::uint64_t PlaybackSession::play(const QString& address, VideoWindows windows, int cachingMs)
{
    return play(Alternates{Alternate{address, {}, {}, {}}}, windows, cachingMs);
}

std::uint64_t PlaybackSession::play(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || !player(0) || alternates.empty())
        return generation_;
    endChoice();
    preopener_.forgetWaiting(); // what was to be opened ahead of the choice before
    if (bringForwardStandby(alternates, windows, cachingMs) || adoptStandby(alternates, windows, cachingMs))
        return generation_;
    const std::uint64_t generation = beginChoice(alternates, windows, cachingMs);
    openAttempt(true);
    return generation;
}

// Opens the choice's current address: a new choice beside what plays, a
// reconnect or a next address on the player that shows.
void PlaybackSession::openAttempt(bool newChoice)
{
    if (!choice_)
        return;
    Choice& choice = *choice_;
    paused_ = false; // a reconnect or the next address plays at once
    PlayerBank::OpenRequest request;
    request.source = choice.alternates[size_t(recovery_.alternate())];
    request.cachingMs = choice.cachingMs;
    request.attempt = choice.attempt = ++attempts_;
    const int other = freePlayer();
    if (newChoice && showingHasSource_ && other >= 0) {
        request.target = other;
        request.leaving = showing_;
    } else {
        request.target = showing_;
    }
    // The channel opened ahead from the same server goes before this
    // connection is made: a server that allows one would refuse it. For such
    // a server, so does the channel that showed, as with a single player.
    const unsigned sameServer = sameServerPlayers(request.source.address) & ~(1u << request.target);
    if (const auto& standby = preopener_.standby(); standby && (sameServer & (1u << standby->player))) {
        request.stopFirst |= 1u << standby->player;
        preopener_.cancel();
    }
    if (hosts_.isOneConnection(request.source.address) && request.leaving >= 0 && (sameServer & (1u << request.leaving))) {
        request.stopFirst |= 1u << request.leaving;
        request.leaving = -1;
    }
    if (preopener_.standby() && preopener_.standby()->player == request.target)
        preopener_.forget(); // taken over by the choice
    request.window = choice.windows[size_t(request.target)];
    showing_ = request.target;
    showingHasSource_ = true;
    showingAddress_ = request.source.address;
    choice.opening = true;
    choice.status.alternate = recovery_.alternate();
    choice.status.bufferPercent = 100;
    buffering_.reset();
    recovery_.opening(choice.startedOnce ? timing_.reopenTimeout : startTimeout_);
    qCDebug(lcEngine) << "choice" << choice.generation << "attempt" << request.attempt << "opens address"
                      << recovery_.alternate() << "on player" << request.target;
    bank_.open(request);
    publish();
}

void PlaybackSession::onOpened(std::uint64_t attempt, bool mediaCreated)
{
    if (!choice_ || attempt != choice_->attempt || mediaCreated)
        return;
    qCInfo(lcEngine) << "attempt" << attempt << "made no media";
    recover(QStringLiteral("无法打开这个地址"));
}

void PlaybackSession::onEvent(int player, std::uint64_t attempt, const MediaPlayer::Event& event)
{
    if (preopener_.owns(attempt)) {
        preopener_.onEvent(event);
        return;
    }
    // After a stop the players' events carry the stop's attempt: no choice is
    // left for them to speak of.
    if (!choice_ || attempt != choice_->attempt)
        return;
    switch (event.type) {
    case Type::Playing:
    case Type::AudioVolume:
        volume_.restore(player);
        break;
    case Type::Buffering:
        if (event.cache >= 100.0f && choice_->opening)
            onStarted(player);
        else
            buffering_.report(event.cache);
        break;
    case Type::EndReached:
        onEnd();
        break;
    case Type::EncounteredError: {
        const MediaPlayer* reporting = this->player(player);
        const QString error = reporting ? reporting->lastError() : QString();
        qCInfo(lcEngine) << "attempt" << attempt << "reported an error:" << error;
        recover(error);
        break;
    }
    default:
        break;
    }
}

// Pre-buffering is done: the attempt plays.
void PlaybackSession::onStarted(int player)
{
    Choice& choice = *choice_;
    choice.opening = false;
    recovery_.started();
    volume_.restore(player);
    choice.status.phase = Phase::Playing;
    choice.status.bufferPercent = 100;
    buffering_.reset();
    const bool first = !choice.startedOnce;
    choice.startedOnce = true;
    publish();
    if (first)
        emit started(choice.generation);
    preopener_.retryWaiting();
}

void PlaybackSession::onEnd()
{
    Choice& choice = *choice_;
    if (!choice.opening && endedNormally()) {
        qCDebug(lcEngine) << "choice" << choice.generation << "reached its end";
        recovery_.ended();
        choice.status.phase = Phase::Ended;
        choice.status.bufferPercent = 100;
        publish();
        return;
    }
    qCInfo(lcEngine) << "attempt" << choice.attempt << (choice.opening ? "ended before it started" : "dropped");
    recover(choice.opening ? QStringLiteral("没有收到可以播放的内容") : QString());
}

// A local file, or a source of known length that came close to it, ended as it should.
bool PlaybackSession::endedNormally() const
{
    const Choice& choice = *choice_;
    if (!isNetworkAddress(choice.alternates[size_t(recovery_.alternate())].address))
        return true;
    const MediaPlayer::Stats& last = recovery_.lastReading();
    const std::int64_t length = last.lengthMs > 0 ? last.lengthMs : choice.expectedLengthMs;
    return length > 0 && last.timeMs >= length - kEndSlackMs;
}

std::optional<PlaybackSession::Position> PlaybackSession::position() const
{
    if (!choice_ || choice_->opening)
        return std::nullopt;
    const std::optional<MediaPlayer::Stats> reading = showingPlayer().stats();
    const MediaPlayer::Stats& stats = reading ? *reading : recovery_.lastReading();
    const std::int64_t length = stats.lengthMs > 0 ? stats.lengthMs : choice_->expectedLengthMs;
    if (length <= 0 || stats.timeMs < 0)
        return std::nullopt;
    Position position{stats.timeMs, length, stats.seekable};
    if (seeking_) {
        constexpr std::int64_t kThere = 1500;
        constexpr std::chrono::seconds kGivenUp{2};
        if (std::abs(stats.timeMs - seeking_->targetMs) > kThere && recovery_.now() - seeking_->asked < kGivenUp)
            position.timeMs = seeking_->targetMs;
    }
    return position;
}

void PlaybackSession::setExpectedLength(std::int64_t milliseconds)
{
    if (choice_)
        choice_->expectedLengthMs = milliseconds;
}

bool PlaybackSession::setPaused(bool paused)
{
    if (paused == paused_)
        return true;
    if (paused && !position())
        return false;
    paused_ = paused;
    bank_.command(showing_, [paused](MediaPlayer& player) { player.SetPaused(paused); });
    if (paused)
        recovery_.paused();
    else
        recovery_.resumed();
    return true;
}

void PlaybackSession::seek(std::int64_t milliseconds)
{
    if (!position())
        return;
    seeking_ = Seeking{milliseconds, recovery_.now()};
    bank_.command(showing_, [milliseconds](MediaPlayer& player) { player.Seek(milliseconds); });
}

void PlaybackSession::saveSnapshot(const QString& path, QObject* context, std::function<void(bool)> saved)
{
    if (!choice_) {
        saved(false);
        return;
    }
    bank_.command(showing_, [path, context = QPointer<QObject>(context), saved = std::move(saved)](MediaPlayer& player) {
        const bool written = player.SaveSnapshot(path);
        if (context)
            QMetaObject::invokeMethod(context, [saved, written] { saved(written); }, Qt::QueuedConnection);
    });
}

std::optional<MediaPlayer::Tracks> PlaybackSession::tracks() const
{
    if (!choice_ || choice_->opening)
        return std::nullopt;
    return showingPlayer().tracks();
}

std::optional<MediaPlayer::Description> PlaybackSession::description() const
{
    if (!choice_ || choice_->opening)
        return std::nullopt;
    return showingPlayer().description();
}

std::optional<Alternate> PlaybackSession::currentAlternate() const
{
    if (!choice_)
        return std::nullopt;
    return choice_->alternates[size_t(recovery_.alternate())];
}

void PlaybackSession::setAudioTrack(int id)
{
    if (choice_)
        bank_.command(showing_, [id](MediaPlayer& player) { player.SetAudioTrack(id); });
}

void PlaybackSession::setSubtitleTrack(int id)
{
    if (choice_)
        bank_.command(showing_, [id](MediaPlayer& player) { player.SetSubtitleTrack(id); });
}

void PlaybackSession::addSubtitleFile(const QString& path)
{
    if (choice_)
        bank_.command(showing_, [path](MediaPlayer& player) { player.AddSubtitleFile(path); });
}

void PlaybackSession::setPicture(const PictureSettings& picture)
{
    if (!choice_)
        return;
    for (Alternate& alternate : choice_->alternates)
        alternate.picture = picture;
    bank_.command(showing_, [picture](MediaPlayer& player) { player.SetPicture(picture); });
}

void PlaybackSession::checkStall()
{
    if (!choice_ || choice_->opening)
        return;
    const std::optional<MediaPlayer::Stats> reading = showingPlayer().stats();
    if (!reading)
        return; // busy for a moment; no reading is no evidence
    preopener_.watchLosses(*reading); // it may cost the channel watched its pictures
    if (recovery_.read(*reading)) {
        qCInfo(lcEngine) << "attempt" << choice_->attempt << "stalled";
        recover({});
    }
}

// The current attempt failed: open it again later, try the next address, or give up.
void PlaybackSession::recover(const QString& reason)
{
    if (!choice_)
        return;
    Choice& choice = *choice_;
    const Clock::time_point now = recovery_.now();
    // The channel watched cut just as another of its server was opened ahead:
    // the server took the new connection for a second one and cut the first.
    const QString address = currentAddress();
    if (!choice.opening && hosts_.openedAheadRecently(address, now) && !hosts_.isOneConnection(address)) {
        hosts_.markOneConnection(address, "the channel watched was cut as another was opened ahead");
        if (const auto& standby = preopener_.standby(); standby && OneConnectionHosts::sameServer(standby->key, address))
            preopener_.drop();
    }
    const RecoveryPlan::Step step = recovery_.failed();
    switch (step.kind) {
    case RecoveryPlan::Step::Kind::Reopen:
        qCInfo(lcEngine) << "choice" << choice.generation << "reconnects in" << step.delay.count() << "ms";
        // The attempt's events stop counting while it waits.
        choice.attempt = 0;
        choice.opening = true;
        choice.status.phase = Phase::Reconnecting;
        choice.status.bufferPercent = 100;
        publish();
        break;
    case RecoveryPlan::Step::Kind::NextAlternate:
        qCInfo(lcEngine) << "choice" << choice.generation << "tries address" << step.alternate;
        choice.status.phase = recovery_.anyPlayed() ? Phase::Reconnecting : Phase::Opening;
        openAttempt(false);
        break;
    case RecoveryPlan::Step::Kind::GiveUp:
        fail(reason.isEmpty() ? QStringLiteral("连接中断，重连没有成功") : reason);
        break;
    }
}

void PlaybackSession::fail(const QString& reason)
{
    if (!choice_ || shutDown_)
        return;
    const std::uint64_t generation = choice_->generation;
    qCInfo(lcEngine) << "choice" << generation << "failed:" << reason;
    PlaybackStatus status = choice_->status;
    status.phase = Phase::Failed;
    status.bufferPercent = 100;
    status.reason = reason;
    // A source that never started is stopped, so it does not start much later;
    // the video area goes black.
    endChoice();
    preopener_.cancel();
    ++generation_;
    showingHasSource_ = false;
    bank_.stopAll(++attempts_);
    emit statusChanged(status);
    emit failed(generation, reason);
}

// Forgets the current choice: none of its timers or events act any more.
void PlaybackSession::endChoice()
{
    choice_.reset();
    paused_ = false;
    seeking_.reset();
    recovery_.end();
    buffering_.reset();
}

void PlaybackSession::publish()
{
    if (choice_)
        emit statusChanged(choice_->status);
}

void PlaybackSession::stop()
{
    if (shutDown_)
        return;
    endChoice();
    preopener_.cancel();
    preopener_.forgetWaiting();
    ++generation_;
    showingHasSource_ = false;
    bank_.stopAll(++attempts_);
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    endChoice();
    preopener_.forget();
    shutDown_ = true;
    ++generation_;
    bank_.shutdown();
}

int PlaybackSession::setVolume(int level)
{
    return bank_.Volume(level, true, showing_);
}

int PlaybackSession::volume()
{
    return bank_.Volume(0, false, showing_);
}

// A player that neither shows nor holds the channel opened ahead; the one
// that showed last before it is preferred, as it has stopped the longest.
int PlaybackSession::freePlayer() const
{
    for (int step = 1; step < kPlayers; ++step) {
        const int index = (showing_ + step) % kPlayers;
        if (player(index) && !(preopener_.standby() && preopener_.standby()->player == index))
            return index;
    }
    return -1;
}

QString PlaybackSession::currentAddress() const
{
    return choice_ ? choice_->alternates[size_t(recovery_.alternate())].address : QString();
}

// The players holding a source of this address's server: the one that shows, the one opened ahead.
unsigned PlaybackSession::sameServerPlayers(const QString& address) const
{
    unsigned players = 0;
    if (showingHasSource_ && OneConnectionHosts::sameServer(showingAddress_, address))
        players |= 1u << showing_;
    if (const auto& standby = preopener_.standby(); standby && OneConnectionHosts::sameServer(standby->key, address))
        players |= 1u << standby->player;
    return players;
}

bool PlaybackSession::isPrepared(const Alternates& alternates) const
{
    return preopener_.isPrepared(alternates);
}

void PlaybackSession::prepare(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (!shutDown_)
        preopener_.prepare({alternates, windows, cachingMs});
}

Preopener::ChoiceView PlaybackSession::choiceView() const
{
    Preopener::ChoiceView view;
    view.showing = showing_;
    if (choice_) {
        view.exists = true;
        view.firstAddress = choice_->alternates.front().address;
        view.currentAddress = currentAddress();
        view.opening = choice_->opening;
    }
    return view;
}

// A new choice, with its plan for drops: network addresses reconnect, files do not.
std::uint64_t PlaybackSession::beginChoice(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    std::vector<bool> reconnectable;
    for (const Alternate& alternate : alternates)
        reconnectable.push_back(isNetworkAddress(alternate.address));
    const std::uint64_t generation = ++generation_;
    choice_.emplace(generation, alternates, windows, cachingMs);
    recovery_.begin(std::move(reconnectable));
    return generation;
}

// A choice of the channel opened ahead: it is brought forward at once.
void PlaybackSession::prepareBeforeAnyChoice(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || choice_ || generation_ != 0)
        return;
    // Kept until the other players are made; the one that shows stays free for a choice of another channel.
    preopener_.prepare({alternates, windows, cachingMs, true});
    bank_.makeOthersNow();
}

bool PlaybackSession::bringForwardStandby(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (!isPrepared(alternates))
        return false;
    const Preopener::Standby standby = *preopener_.take();
    const std::uint64_t generation = beginChoice(alternates, windows, cachingMs);
    const int leaving = takeStandbyPlayer(standby);
    bank_.bringForward(showing_, !isNetworkAddress(standby.key)); // a ready file was paused
    qCDebug(lcEngine) << "choice" << generation << "brought forward from player" << showing_;
    onStarted(showing_);
    if (leaving != showing_)
        bank_.retire(1u << leaving);
    return true;
}

// A choice of the channel still being opened ahead takes that open over: the
// same player and connection (a server that allows one would refuse a second,
// or cut this one), heard at once, shown as its pictures come, and given the
// start watchdog's time from the choice on.
bool PlaybackSession::adoptStandby(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    const std::optional<Preopener::Standby>& waiting = preopener_.standby();
    if (!waiting || alternates.empty() || waiting->key != alternates.front().address)
        return false;
    const Preopener::Standby standby = *preopener_.take();
    const std::uint64_t generation = beginChoice(alternates, windows, cachingMs);
    const int leaving = takeStandbyPlayer(standby);
    bank_.adopt(showing_);
    qCDebug(lcEngine) << "choice" << generation << "takes over the open ahead on player" << showing_;
    recovery_.opening(startTimeout_);
    publish();
    if (standby.buffered)
        onStarted(showing_);
    if (leaving != showing_)
        bank_.retire(1u << leaving);
    return true;
}

// The choice's events are the ones of the open ahead from now on, and its window the one to see.
int PlaybackSession::takeStandbyPlayer(const Preopener::Standby& standby)
{
    choice_->attempt = standby.attempt;
    const int leaving = showing_;
    showing_ = standby.player;
    showingHasSource_ = true;
    showingAddress_ = standby.key;
    emit showing(showing_);
    return leaving;
}
