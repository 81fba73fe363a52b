#include "PlaybackSession.h"

#include "EngineLog.h"
#include "SourceAddress.h"

using Phase = PlaybackStatus::Phase;
using Type = MediaPlayer::Event::Type;

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players,
                                 QObject* parent)
    : QObject(parent), bank_(std::move(factory), std::move(first), players),
      preopener_(bank_, hosts_, [this] { return choiceView(); }, [this] { return ++attempts_; }),
      volume_([this](int index) { return player(index); }, [this] { return generation_; })
{
    connect(&bank_, &PlayerBank::opened, this, &PlaybackSession::onOpened);
    connect(&bank_, &PlayerBank::event, this, &PlaybackSession::onEvent);
    connect(&bank_, &PlayerBank::stopped, this, &PlaybackSession::stopped);
    connect(&bank_, &PlayerBank::showing, this, &PlaybackSession::showing);
    connect(&bank_, &PlayerBank::othersMade, this, [this] { preopener_.retryWaiting(); });

    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::milliseconds(watchdog_.interval()))
                                 .count();
        qCInfo(lcEngine) << "attempt" << attempts_ << "did not start in" << seconds << "s";
        recover(QStringLiteral("%1 秒内没有开始播放").arg(seconds));
    });
    reopenTimer_.setSingleShot(true);
    connect(&reopenTimer_, &QTimer::timeout, this, [this] { openAttempt(false); });
    connect(&statsTimer_, &QTimer::timeout, this, &PlaybackSession::checkStall);
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
    PlayerBank::OpenRequest request;
    request.source = choice.alternates[size_t(choice.plan.alternate())];
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
    choice.status.alternate = choice.plan.alternate();
    choice.status.bufferPercent = 100;
    buffering_.reset();
    statsTimer_.stop();
    watchdog_.start(choice.startedOnce ? timing_.reopenTimeout : startTimeout_);
    qCDebug(lcEngine) << "choice" << choice.generation << "attempt" << request.attempt << "opens address"
                      << choice.plan.alternate() << "on player" << request.target;
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
    watchdog_.stop();
    choice.opening = false;
    choice.plan.playing(Clock::now());
    choice.stall.restart(Clock::now());
    choice.lastStats = {};
    statsTimer_.start(timing_.statsInterval);
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
        statsTimer_.stop();
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
    if (!isNetworkAddress(choice.alternates[size_t(choice.plan.alternate())].address))
        return true;
    const MediaPlayer::Stats& last = choice.lastStats;
    return last.lengthMs > 0 && last.timeMs >= last.lengthMs - kEndSlackMs;
}

void PlaybackSession::checkStall()
{
    if (!choice_ || choice_->opening)
        return;
    const std::optional<MediaPlayer::Stats> reading = showingPlayer().stats();
    if (!reading)
        return; // busy for a moment; no reading is no evidence
    preopener_.watchLosses(*reading); // it may cost the channel watched its pictures
    const MediaPlayer::Stats previous = std::exchange(choice_->lastStats, *reading);
    if (reading->displayedPictures > previous.displayedPictures || reading->decodedAudio > previous.decodedAudio)
        choice_->plan.progressed(Clock::now());
    if (choice_->stall.stalled(*reading, Clock::now())) {
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
    const Clock::time_point now = Clock::now();
    // The channel watched cut just as another of its server was opened ahead:
    // the server took the new connection for a second one and cut the first.
    const QString address = currentAddress();
    if (!choice.opening && hosts_.openedAheadRecently(address, now) && !hosts_.isOneConnection(address)) {
        hosts_.markOneConnection(address, "the channel watched was cut as another was opened ahead");
        if (const auto& standby = preopener_.standby(); standby && OneConnectionHosts::sameServer(standby->key, address))
            preopener_.drop();
    }
    watchdog_.stop();
    statsTimer_.stop();
    const RecoveryPlan::Step step = choice.plan.failed(now);
    switch (step.kind) {
    case RecoveryPlan::Step::Kind::Reopen:
        qCInfo(lcEngine) << "choice" << choice.generation << "reconnects in" << step.delay.count() << "ms";
        // The attempt's events stop counting while it waits.
        choice.attempt = 0;
        choice.opening = true;
        choice.status.phase = Phase::Reconnecting;
        choice.status.bufferPercent = 100;
        reopenTimer_.start(step.delay);
        publish();
        break;
    case RecoveryPlan::Step::Kind::NextAlternate:
        qCInfo(lcEngine) << "choice" << choice.generation << "tries address" << step.alternate;
        choice.status.phase = choice.plan.anyPlayed() ? Phase::Reconnecting : Phase::Opening;
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
    watchdog_.stop();
    reopenTimer_.stop();
    statsTimer_.stop();
    buffering_.reset();
}

void PlaybackSession::publish()
{
    if (choice_)
        emit statusChanged(choice_->status);
}

void PlaybackSession::restartWatchdogIfRunning()
{
    if (watchdog_.isActive() && choice_ && !choice_->startedOnce)
        watchdog_.start(startTimeout_);
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
    return choice_ ? choice_->alternates[size_t(choice_->plan.alternate())].address : QString();
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
    choice_.emplace(generation, alternates, windows, cachingMs,
                    RecoveryPlan(std::move(reconnectable), {timing_.backoff, timing_.steadyPlay, timing_.playedAgain}),
                    StallWatch(timing_.stallTimeout));
    return generation;
}

// A choice of the channel opened ahead: it is brought forward at once.
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
    watchdog_.start(startTimeout_);
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
