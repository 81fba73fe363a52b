#include "PlaybackSession.h"

#include "EngineLog.h"
#include "PlayerRouting.h"
#include "SourceAddress.h"

using Phase = PlaybackStatus::Phase;
using Type = MediaPlayer::Event::Type;
using Kind = PlaybackFailure::Kind;

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players,
                                 TimeSource& time, QObject* parent)
    : QObject(parent), bank_(std::move(factory), std::move(first), players),
      recovery_(time, {[this](std::chrono::milliseconds waited) { onStartTimeout(waited); },
                       [this] { openAttempt(false); }, [this] { checkStall(); }}),
      preopener_(bank_, hosts_, time, [this] { return choiceView(); }, [this] { return ++attempts_; }),
      transport_(bank_, time,
                 {[this] { return transportView(); },
                  [this](bool paused) { paused ? recovery_.paused() : recovery_.resumed(); },
                  [this](const PictureSettings& picture) {
                      for (Alternate& alternate : choice_->alternates)
                          alternate.picture = picture;
                  }}),
      buffering_(time), volume_(time, [this](int index) { return bank_.player(index); }, [this] { return generation_; })
{
    hosts_.setFound([this](const QString& server) { emit oneConnectionFound(server); });
    applyTiming(timing_);
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

void PlaybackSession::applyTiming(const RecoveryTiming& timing)
{
    timing_ = timing;
    preopener_.setStartTimeout(timing.startTimeout);
    // A choice still starting waits the new time from now.
    if (choice_ && !choice_->startedOnce)
        recovery_.restartWatchdog(timing.startTimeout);
    buffering_.setInterval(timing.bufferingUpdate);
    recovery_.setTiming(
        {{timing.backoff, timing.steadyPlay, timing.playedAgain}, timing.reopenTimeout, timing.stallTimeout, timing.statsInterval});
}

std::uint64_t PlaybackSession::play(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || !bank_.player(0) || alternates.empty())
        return generation_;
    endChoice();
    preopener_.forgetWaiting(); // what was to be opened ahead of the choice before
    if (takePreopened(alternates, windows, cachingMs))
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
    transport_.reset(); // a reconnect or the next address plays at once
    PlayerBank::OpenRequest request;
    request.source = choice.alternates[size_t(recovery_.alternate())];
    request.cachingMs = choice.cachingMs;
    request.attempt = choice.attempt = ++attempts_;

    routing::Players players;
    for (int index = 0; index < kPlayers; ++index)
        players.made[size_t(index)] = bank_.player(index) != nullptr;
    players.showing = showing_;
    players.showingHasSource = showingHasSource_;
    players.showingAddress = showingAddress_;
    if (const auto& preopened = preopener_.preopened()) {
        players.preopened = preopened->player;
        players.preopenedAddress = preopened->key;
    }
    const bool oneConnection = hosts_.isOneConnection(request.source.address);
    const routing::Route route = routing::route(players, {request.source.address, newChoice, oneConnection});
    request.target = route.target;
    request.leaving = route.leaving;
    request.stopFirst = route.stopFirst;
    if (route.preopened == routing::Route::Preopened::Cancelled)
        preopener_.cancel();
    else if (route.preopened == routing::Route::Preopened::TakenOver)
        preopener_.forget();
    if (route.stopFirst != 0 && oneConnection)
        recovery_.connectionReleased(OneConnectionHosts::serverOf(request.source.address));
    request.window = choice.windows[size_t(request.target)];
    showing_ = request.target;
    showingHasSource_ = true;
    showingAddress_ = request.source.address;
    choice.opening = true;
    choice.status.alternate = recovery_.alternate();
    choice.status.bufferPercent = 100;
    buffering_.reset();
    recovery_.opening(choice.startedOnce ? timing_.reopenTimeout : timing_.startTimeout);
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
    recover({Kind::NoMedia, 0, {}});
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
    case Type::VideoOutput:
        // libvlc sets a picture's shape on the video outputs a player has at
        // that moment: one chosen while the output was between sources (a
        // player keeps it and takes it up again as it was) is given again.
        if (!choice_->alternates.empty())
            bank_.command(player, [picture = choice_->alternates.front().picture](MediaPlayer& shown) {
                shown.SetPicture(picture);
            });
        break;
    case Type::EndReached:
        onEnd();
        break;
    case Type::RecordingEnded:
        emit liveEnded();
        break;
    case Type::EncounteredError: {
        const MediaPlayer* reporting = bank_.player(player);
        const PlaybackFailure error = reporting ? reporting->lastError() : PlaybackFailure{};
        if (error.kind == Kind::ReadByEngine) {
            // No live stream answered the program's own reading: libvlc reads it, at once and uncounted.
            qCDebug(lcEngine) << "attempt" << attempt << "is left to libvlc";
            openAttempt(false);
            break;
        }
        qCInfo(lcEngine) << "attempt" << attempt << "reported an error:" << error.detail;
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
    // A local file, or a source of known length that came close to it, ended as it should.
    const bool network = isNetworkAddress(currentAddress());
    if (!choice.opening && (!network || recovery_.reachedItsEnd(choice.expectedLengthMs))) {
        qCDebug(lcEngine) << "choice" << choice.generation << "reached its end";
        recovery_.ended();
        choice.status.phase = Phase::Ended;
        choice.status.bufferPercent = 100;
        publish();
        return;
    }
    qCInfo(lcEngine) << "attempt" << choice.attempt << (choice.opening ? "ended before it started" : "dropped");
    recover(choice.opening ? PlaybackFailure{Kind::NothingPlayable, 0, {}} : PlaybackFailure{});
}

void PlaybackSession::setExpectedLength(std::int64_t milliseconds)
{
    if (choice_)
        choice_->expectedLengthMs = milliseconds;
}

std::optional<Alternate> PlaybackSession::currentAlternate() const
{
    if (!choice_)
        return std::nullopt;
    return choice_->alternates[size_t(recovery_.alternate())];
}

void PlaybackSession::checkStall()
{
    if (!choice_ || choice_->opening)
        return;
    const std::optional<MediaPlayer::Stats> reading = transport_.stats();
    if (!reading)
        return; // busy for a moment; no reading is no evidence
    preopener_.watchLosses(*reading); // it may cost the channel watched its pictures
    if (recovery_.read(*reading)) {
        qCInfo(lcEngine) << "attempt" << choice_->attempt << "stalled";
        recover({});
    }
}

void PlaybackSession::onStartTimeout(std::chrono::milliseconds waited)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
    qCInfo(lcEngine) << "attempt" << attempts_ << "did not start in" << seconds << "s";
    recover({Kind::NoStartInTime, seconds, {}});
}

// The current attempt failed: open it again later, try the next address, or give up.
void PlaybackSession::recover(const PlaybackFailure& why)
{
    if (!choice_)
        return;
    Choice& choice = *choice_;
    if (!choice.opening)
        preopener_.watchedDropped(currentAddress());
    // Refused just after the connection to its server was let go: the server
    // has not counted the close yet.
    if (choice.opening && recovery_.retriedAfterRelease(OneConnectionHosts::serverOf(currentAddress()))) {
        qCInfo(lcEngine) << "choice" << choice.generation << "refused as its server's other connection went; again";
        choice.attempt = 0; // the attempt's events stop counting while it waits
        return;
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
        fail(why.isKnown() ? why : PlaybackFailure{Kind::ConnectionLost, 0, {}});
        break;
    }
}

void PlaybackSession::fail(const PlaybackFailure& why)
{
    if (!choice_ || shutDown_)
        return;
    const std::uint64_t generation = choice_->generation;
    qCInfo(lcEngine) << "choice" << generation << "failed:" << int(why.kind) << why.detail;
    PlaybackStatus status = choice_->status;
    status.phase = Phase::Failed;
    status.bufferPercent = 100;
    status.failure = why;
    // A source that never started is stopped, so it does not start much later;
    // the video area goes black.
    endChoice();
    preopener_.cancel();
    ++generation_;
    showingHasSource_ = false;
    bank_.stopAll(++attempts_);
    emit statusChanged(status);
    emit failed(generation, why);
}

// Forgets the current choice: none of its timers or events act any more.
void PlaybackSession::endChoice()
{
    choice_.reset();
    transport_.reset();
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

QString PlaybackSession::currentAddress() const
{
    return choice_ ? choice_->alternates[size_t(recovery_.alternate())].address : QString();
}

PlayerTransport::ChoiceView PlaybackSession::transportView() const
{
    PlayerTransport::ChoiceView view;
    view.showing = showing_;
    view.lastReading = recovery_.lastReading();
    if (choice_) {
        view.exists = true;
        view.opening = choice_->opening;
        view.expectedLengthMs = choice_->expectedLengthMs;
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
