#include "PlaybackSession.h"

#include "EngineLog.h"
#include "SourceAddress.h"

using Phase = PlaybackStatus::Phase;
using Type = MediaPlayer::Event::Type;

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players,
                                 QObject* parent)
    : QObject(parent), bank_(std::move(factory), std::move(first), players),
      volume_([this](int index) { return player(index); }, [this] { return generation_; })
{
    connect(&bank_, &PlayerBank::opened, this, &PlaybackSession::onOpened);
    connect(&bank_, &PlayerBank::event, this, &PlaybackSession::onEvent);
    connect(&bank_, &PlayerBank::stopped, this, &PlaybackSession::stopped);
    connect(&bank_, &PlayerBank::showing, this, &PlaybackSession::showing);
    // A stream shows its first picture well after its buffer is full (up to
    // its clock's offset): it is ready to be brought forward only then.
    standbyPicture_.setInterval(std::chrono::milliseconds(40));
    connect(&standbyPicture_, &QTimer::timeout, this, [this] {
        if (!standby_ || standby_->ready) {
            standbyPicture_.stop();
            return;
        }
        MediaPlayer* ahead = player(standby_->player);
        const std::optional<MediaPlayer::Stats> reading = ahead ? ahead->stats() : std::nullopt;
        const bool network = isNetworkAddress(standby_->alternates.front().address);
        // The first picture of a stream is shown as soon as it is decoded, the
        // next ones only once its clock runs (up to 0.7 s later for MPEG-TS);
        // raised in between, its window would stay empty until then.
        if (reading && reading->displayedPictures >= (network ? 2 : 1)) {
            standby_->ready = true;
            standbyPicture_.stop();
            // A file waits at its first picture; a live source goes on receiving.
            if (!network)
                ahead->SetPaused(true);
        }
    });
    standbyWatchdog_.setSingleShot(true);
    connect(&standbyWatchdog_, &QTimer::timeout, this, [this] {
        if (standby_ && !standby_->buffered)
            onStandbyRefused("no answer in time");
    });
    connect(&bank_, &PlayerBank::othersMade, this, [this] {
        if (std::optional<PendingPrepare> pending = std::exchange(pendingPrepare_, std::nullopt))
            prepare(pending->alternates, pending->windows, pending->cachingMs);
    });

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
    pendingPrepare_.reset(); // what was to be opened ahead of the choice before
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
    if (standby_ && (sameServer & (1u << standby_->player))) {
        request.stopFirst |= 1u << standby_->player;
        forgetStandby();
        bank_.cancelStandby();
    }
    if (hosts_.isOneConnection(request.source.address) && request.leaving >= 0 && (sameServer & (1u << request.leaving))) {
        request.stopFirst |= 1u << request.leaving;
        request.leaving = -1;
    }
    if (standby_ && standby_->player == request.target)
        forgetStandby(); // taken over by the choice
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
    if (standby_ && attempt == standby_->attempt) {
        onStandbyEvent(event);
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
    if (std::optional<PendingPrepare> pending = std::exchange(pendingPrepare_, std::nullopt))
        prepare(pending->alternates, pending->windows, pending->cachingMs);
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
    // The channel opened ahead costs the one watched its pictures: let it go.
    if (standby_ && lostPictures_ >= 0 && reading->lostPictures - lostPictures_ > kLostPicturesPerReading) {
        qCInfo(lcEngine) << "the machine falls behind; no channel is opened ahead for a while";
        dropStandby();
        standbyPausedUntil_ = Clock::now() + kStandbyPause;
    }
    lostPictures_ = reading->lostPictures;
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
        if (standby_ && OneConnectionHosts::sameServer(standby_->key, address))
            dropStandby();
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
    forgetStandby();
    bank_.cancelStandby();
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
    forgetStandby();
    pendingPrepare_.reset();
    bank_.cancelStandby();
    ++generation_;
    showingHasSource_ = false;
    bank_.stopAll(++attempts_);
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    endChoice();
    forgetStandby();
    shutDown_ = true;
    ++generation_;
    bank_.shutdown();
}

int PlaybackSession::Volume(int level, bool set)
{
    return bank_.Volume(level, set, showing_);
}

// A player that neither shows nor holds the channel opened ahead; the one
// that showed last before it is preferred, as it has stopped the longest.
int PlaybackSession::freePlayer() const
{
    for (int step = 1; step < kPlayers; ++step) {
        const int index = (showing_ + step) % kPlayers;
        if (player(index) && !(standby_ && standby_->player == index))
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
    if (standby_ && OneConnectionHosts::sameServer(standby_->key, address))
        players |= 1u << standby_->player;
    return players;
}

bool PlaybackSession::isPrepared(const Alternates& alternates) const
{
    return standby_ && standby_->ready && !alternates.empty() && standby_->key == alternates.front().address;
}

void PlaybackSession::prepare(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || alternates.empty() || !choice_ || Clock::now() < standbyPausedUntil_)
        return;
    const QString key = alternates.front().address;
    if (choice_->alternates.front().address == key || (standby_ && standby_->key == key))
        return;
    // A second connection to such a server would cost the channel watched;
    // to any server, one made while the choice's own is being made could be
    // refused in its place: it waits until the choice plays.
    if (OneConnectionHosts::sameServer(key, currentAddress())) {
        if (hosts_.isOneConnection(key))
            return;
        if (choice_->opening) {
            pendingPrepare_ = PendingPrepare{alternates, windows, cachingMs};
            return;
        }
    }
    int target = standby_ ? standby_->player : freePlayer();
    if (target < 0 || target == showing_) {
        pendingPrepare_ = PendingPrepare{alternates, windows, cachingMs}; // the players come soon after the first open
        return;
    }
    // Keep one player free beside the one that shows, so that a choice that
    // was not opened ahead switches as fast as ever.
    if (!standby_) {
        int free = 0;
        for (int index = 0; index < kPlayers; ++index)
            free += index != showing_ && player(index) ? 1 : 0;
        if (free < 2) {
            pendingPrepare_ = PendingPrepare{alternates, windows, cachingMs};
            return;
        }
    }
    pendingPrepare_.reset();
    // Until this source has buffered, what the player reports is the one it replaces.
    standbyPicture_.stop();
    standby_ = Standby{key, alternates, target, ++attempts_, false, false};
    standbyWatchdog_.start(startTimeout_);
    hosts_.openedAhead(key, Clock::now());
    PlayerBank::OpenRequest request;
    request.source = alternates.front();
    request.target = target;
    request.window = windows[size_t(target)];
    request.cachingMs = cachingMs;
    request.attempt = standby_->attempt;
    request.standby = true;
    qCDebug(lcEngine) << "opening ahead" << key << "on player" << target;
    bank_.open(request);
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
    const Standby standby = *standby_;
    forgetStandby();
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
    if (!standby_ || alternates.empty() || standby_->key != alternates.front().address)
        return false;
    const Standby standby = *standby_;
    forgetStandby();
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
int PlaybackSession::takeStandbyPlayer(const Standby& standby)
{
    choice_->attempt = standby.attempt;
    const int leaving = showing_;
    showing_ = standby.player;
    showingHasSource_ = true;
    showingAddress_ = standby.key;
    emit showing(showing_);
    return leaving;
}

void PlaybackSession::onStandbyEvent(const MediaPlayer::Event& event)
{
    switch (event.type) {
    case Type::Buffering:
        if (event.cache >= 100.0f && !standby_->buffered) {
            standby_->buffered = true;
            standbyPicture_.start();
        }
        break;
    case Type::EncounteredError:
    case Type::EndReached:
        onStandbyRefused("refused or cut");
        break;
    default:
        break;
    }
}

// Nobody chose it: it goes without a word. Refused while a channel of its
// server plays, it tells of a server that allows one connection.
void PlaybackSession::onStandbyRefused(const char* how)
{
    qCInfo(lcEngine) << "the channel opened ahead failed (" << how << "):" << standby_->key;
    if (OneConnectionHosts::sameServer(standby_->key, currentAddress()))
        hosts_.markOneConnection(standby_->key, "a channel opened ahead was refused while another of it played");
    dropStandby();
}

void PlaybackSession::forgetStandby()
{
    standby_.reset();
    standbyPicture_.stop();
    standbyWatchdog_.stop();
}

void PlaybackSession::dropStandby()
{
    if (!standby_)
        return;
    const int player = standby_->player;
    forgetStandby();
    bank_.cancelStandby();
    if (player != showing_)
        bank_.retire(1u << player);
}
