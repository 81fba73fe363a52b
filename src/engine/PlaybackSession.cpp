#include "PlaybackSession.h"

#include "EngineLog.h"
#include "SourceAddress.h"

using Phase = PlaybackStatus::Phase;
using Type = MediaPlayer::Event::Type;

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, QObject* parent)
    : QObject(parent), bank_(std::move(factory), std::move(first))
{
    connect(&bank_, &PlayerBank::opened, this, &PlaybackSession::onOpened);
    connect(&bank_, &PlayerBank::event, this, &PlaybackSession::onEvent);
    connect(&bank_, &PlayerBank::stopped, this, &PlaybackSession::stopped);
    connect(&bank_, &PlayerBank::showing, this, &PlaybackSession::showing);

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
    bufferingTimer_.setSingleShot(true);
    connect(&bufferingTimer_, &QTimer::timeout, this, [this] {
        if (!choice_ || !pendingBuffering_)
            return;
        choice_->status.bufferPercent = *pendingBuffering_;
        pendingBuffering_.reset();
        publish();
    });
    for (int index = 0; index < kPlayers; ++index) {
        VolumeRetry& retry = volumeRetry_[size_t(index)];
        retry.timer.setInterval(kVolumeRetryInterval);
        connect(&retry.timer, &QTimer::timeout, this, [this, index] { retryVolume(index); });
    }
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
    std::vector<bool> reconnectable;
    for (const Alternate& alternate : alternates)
        reconnectable.push_back(isNetworkAddress(alternate.address));
    const std::uint64_t generation = ++generation_;
    choice_.emplace(generation, alternates, windows, cachingMs,
                    RecoveryPlan(std::move(reconnectable), {timing_.backoff, timing_.steadyPlay}),
                    StallWatch(timing_.stallTimeout));
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
    const Alternate& alternate = choice.alternates[size_t(choice.plan.alternate())];
    request.address = alternate.address;
    if (!alternate.userAgent.isEmpty())
        request.options << QByteArrayLiteral(":http-user-agent=") + alternate.userAgent.toUtf8();
    if (!alternate.referrer.isEmpty())
        request.options << QByteArrayLiteral(":http-referrer=") + alternate.referrer.toUtf8();
    request.cachingMs = choice.cachingMs;
    request.attempt = choice.attempt = ++attempts_;
    const int other = 1 - showing_;
    if (newChoice && showingHasSource_ && player(other)) {
        request.target = other;
        request.leaving = showing_;
    } else {
        request.target = showing_;
    }
    request.window = choice.windows[size_t(request.target)];
    showing_ = request.target;
    showingHasSource_ = true;
    choice.opening = true;
    choice.status.alternate = choice.plan.alternate();
    choice.status.bufferPercent = 100;
    pendingBuffering_.reset();
    bufferingTimer_.stop();
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
    // After a stop the players' events carry the stop's attempt: no choice is
    // left for them to speak of.
    if (!choice_ || attempt != choice_->attempt)
        return;
    switch (event.type) {
    case Type::Playing:
    case Type::AudioVolume:
        restoreVolume(player);
        break;
    case Type::Buffering:
        if (event.cache >= 100.0f && choice_->opening)
            onStarted(player);
        else
            onBuffering(event.cache);
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
    restoreVolume(player);
    choice.status.phase = Phase::Playing;
    choice.status.bufferPercent = 100;
    pendingBuffering_.reset();
    bufferingTimer_.stop();
    const bool first = !choice.startedOnce;
    choice.startedOnce = true;
    publish();
    if (first)
        emit started(choice.generation);
}

// While opening or re-buffering: the figure is shown a few times a second at
// most, and only once filling the buffer takes a moment (a local file fills
// it at once, and the title does not flicker).
void PlaybackSession::onBuffering(float cache)
{
    const int percent = std::clamp(int(cache), 0, 100);
    if (percent >= 100) {
        pendingBuffering_.reset();
        bufferingTimer_.stop();
        if (choice_->status.bufferPercent != 100) {
            choice_->status.bufferPercent = 100;
            publish();
        }
        return;
    }
    pendingBuffering_ = percent;
    if (!bufferingTimer_.isActive())
        bufferingTimer_.start(timing_.bufferingUpdate);
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
    choice_->lastStats = *reading;
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
    watchdog_.stop();
    statsTimer_.stop();
    const RecoveryPlan::Step step = choice.plan.failed(Clock::now());
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
    bufferingTimer_.stop();
    pendingBuffering_.reset();
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
    ++generation_;
    showingHasSource_ = false;
    bank_.stopAll(++attempts_);
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    endChoice();
    shutDown_ = true;
    ++generation_;
    bank_.shutdown();
}

int PlaybackSession::Volume(int level, bool set)
{
    return bank_.Volume(level, set, showing_);
}

// A new audio output starts at the level an earlier output of its player had,
// libvlc reports it (the volume event) before the player can be asked about it,
// and the output may set its level again while it starts. So for a while after
// a choice starts playing, its player's level is checked every so often and
// put back to the kept one.
void PlaybackSession::restoreVolume(int index)
{
    MediaPlayer* target = player(index);
    if (!target)
        return;
    target->RestoreVolume();
    VolumeRetry& retry = volumeRetry_[size_t(index)];
    if (retry.timer.isActive() && retry.generation == generation_)
        return;
    retry.generation = generation_;
    retry.attemptsLeft = kVolumeRetries;
    retry.timer.start();
}

void PlaybackSession::retryVolume(int index)
{
    VolumeRetry& retry = volumeRetry_[size_t(index)];
    if (retry.generation != generation_ || --retry.attemptsLeft <= 0) {
        retry.timer.stop();
        return;
    }
    if (MediaPlayer* target = player(index))
        target->RestoreVolume();
}
