#include "PlaybackSession.h"

#include "EngineLog.h"
#include "platform/MemoryTuning.h"

PlaybackSession::PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), mailbox_(this)
{
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kStartTimeout);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        qCInfo(lcEngine) << "choice" << generation_ << "did not start in time";
        fail(generation_);
    });
    for (int index = 0; index < kPlayers; ++index) {
        VolumeRetry& retry = slots_[index].volumeRetry;
        retry.timer.setInterval(kVolumeRetryInterval);
        connect(&retry.timer, &QTimer::timeout, this, [this, index] { retryVolume(index); });
    }
    if (!first && factory_)
        first = factory_();
    if (first)
        adopt(0, std::move(first));
}

PlaybackSession::~PlaybackSession()
{
    shutdown();
    // Events first: once a subscription is gone, none of its callbacks runs.
    for (Slot& slot : slots_)
        slot.events.reset();
    for (Slot& slot : slots_) {
        slot.player = nullptr;
        slot.owned.reset();
    }
}

// Before the player is published: from then on its events reach the owner's thread.
void PlaybackSession::adopt(int index, std::unique_ptr<MediaPlayer> player)
{
    Slot& slot = slots_[index];
    slot.eventGeneration = 0;
    slot.events = player->subscribe([this, index](const MediaPlayer::Event& event) {
        // On the engine's thread: copy and post; never call the player here.
        const Event copy{event, index, slots_[index].eventGeneration.load()};
        mailbox_.post([this, copy] { handle(copy); });
    });
    {
        const std::lock_guard lock(volumeLock_);
        if (volumeLevel_)
            player->Volume(*volumeLevel_, true);
        slot.owned = std::move(player);
        slot.player = slot.owned.get();
    }
}

MediaPlayer* PlaybackSession::player(int index) const
{
    return index >= 0 && index < kPlayers ? slots_[index].player.load() : nullptr;
}

MediaPlayer& PlaybackSession::showingPlayer() const
{
    return *player(showing_);
}

bool PlaybackSession::isUsable() const
{
    const MediaPlayer* first = player(0);
    return first && first->isUsable();
}

std::uint64_t PlaybackSession::play(const QString& address, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || !player(0))
        return generation_;
    OpenRequest request;
    request.generation = ++generation_;
    request.address = address;
    request.cachingMs = cachingMs;
    // While a source plays, the next one opens on the other player, if there is one.
    const int other = 1 - showing_;
    if (showingHasSource_ && player(other)) {
        request.target = other;
        request.leaving = showing_;
    } else {
        request.target = showing_;
    }
    request.window = windows[request.target];
    showing_ = request.target;
    showingHasSource_ = true;
    choosing_ = true;
    watchdog_.start();
    qCDebug(lcEngine) << "choice" << request.generation << "opens on player" << request.target;
    opener_.post([this, request] { open(request); });
    return request.generation;
}

// On the opener thread, with its own copy of the request.
void PlaybackSession::open(const OpenRequest& request)
{
    Slot& slot = slots_[request.target];
    if (slot.stopping.joinable())
        slot.stopping.join();
    MediaPlayer& chosen = *slot.player.load();
    mailbox_.post([this, target = request.target] { emit showing(target); });
    chosen.SetWindow(request.window);
    const bool created = chosen.Open(request.address);
    // The previous input of this player is gone once Open returns, so every
    // event of it from here on belongs to this choice.
    slot.eventGeneration = request.generation;
    if (created) {
        // Options first: libvlc reads them when playback starts.
        const QByteArray value = QByteArray::number(request.cachingMs);
        for (const char* name : {":file-caching=", ":network-caching=", ":rtsp-caching="})
            chosen.AddOption(name + value);
        chosen.Play();
    }
    if (request.leaving >= 0 && request.leaving != request.target)
        stopBeside(request.leaving);
    if (!created) {
        // Whatever played before is not what the user chose any more.
        stopAll(request.generation);
    } else if (!secondTried_) {
        makeSecondPlayer(); // while the first source starts, ready for the next switch
    }
    mailbox_.post([this, generation = request.generation, created] { opened(generation, created); });
}

// On the opener thread. A player that cannot be made (libvlc gives no second
// instance) leaves the session switching on the one it has.
void PlaybackSession::makeSecondPlayer()
{
    secondTried_ = true;
    std::unique_ptr<MediaPlayer> made = factory_ ? factory_() : nullptr;
    if (!made || !made->isUsable()) {
        qCInfo(lcEngine) << "no second player: channels switch on one";
        return;
    }
    adopt(1, std::move(made));
}

// On the opener thread: the player that showed before stops on a thread of its
// own; the opener waits for it only before it uses that player again.
void PlaybackSession::stopBeside(int index)
{
    MediaPlayer* leaving = player(index);
    if (!leaving)
        return;
    Slot& slot = slots_[index];
    if (slot.stopping.joinable())
        slot.stopping.join();
    slot.stopping = std::jthread([leaving] {
        leaving->Stop();
        returnFreedMemory();
    });
}

void PlaybackSession::waitForStops()
{
    for (Slot& slot : slots_)
        if (slot.stopping.joinable())
            slot.stopping.join();
}

// On the opener thread: every player stops, and their events from now on
// belong to this generation.
void PlaybackSession::stopAll(std::uint64_t generation)
{
    waitForStops();
    for (Slot& slot : slots_) {
        if (MediaPlayer* stopping = slot.player.load()) {
            slot.eventGeneration = generation;
            stopping->Stop();
        }
    }
    mailbox_.post([this] { emit stopped(); });
}

void PlaybackSession::stop()
{
    if (shutDown_)
        return;
    const std::uint64_t generation = ++generation_;
    watchdog_.stop();
    showingHasSource_ = false;
    choosing_ = false;
    opener_.post([this, generation] { stopAll(generation); });
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    choosing_ = false;
    const std::uint64_t generation = ++generation_;
    watchdog_.stop();
    opener_.shutdown([this, generation] { stopAll(generation); });
    waitForStops(); // the opener may have ended before its last request ran
}

int PlaybackSession::Volume(int level, bool set)
{
    const std::lock_guard lock(volumeLock_);
    if (set) {
        volumeLevel_ = level;
        for (int index = 0; index < kPlayers; ++index)
            if (MediaPlayer* other = player(index); other && index != showing_)
                other->Volume(level, true);
    }
    MediaPlayer* shown = player(showing_);
    return shown ? shown->Volume(level, set) : (volumeLevel_ ? std::max(*volumeLevel_, 0) : 0);
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
    VolumeRetry& retry = slots_[index].volumeRetry;
    if (retry.timer.isActive() && retry.generation == generation_)
        return;
    retry.generation = generation_;
    retry.attemptsLeft = kVolumeRetries;
    retry.timer.start();
}

void PlaybackSession::retryVolume(int index)
{
    VolumeRetry& retry = slots_[index].volumeRetry;
    if (retry.generation != generation_ || --retry.attemptsLeft <= 0) {
        retry.timer.stop();
        return;
    }
    if (MediaPlayer* target = player(index))
        target->RestoreVolume();
}

void PlaybackSession::opened(std::uint64_t generation, bool mediaCreated)
{
    if (!mediaCreated) {
        qCInfo(lcEngine) << "choice" << generation << "made no media";
        fail(generation);
    }
}

void PlaybackSession::fail(std::uint64_t generation)
{
    if (generation != generation_ || shutDown_)
        return;
    watchdog_.stop();
    // A source that never started is stopped, so it does not start much later.
    const std::uint64_t stopping = ++generation_;
    showingHasSource_ = false;
    choosing_ = false;
    opener_.post([this, stopping] { stopAll(stopping); });
    emit failed(generation);
}

void PlaybackSession::handle(const Event& event)
{
    // After a stop the players' events carry the stop's generation: no choice
    // is left for them to speak of.
    if (event.generation != generation_ || !choosing_)
        return;
    using Type = MediaPlayer::Event::Type;
    switch (event.event.type) {
    case Type::Playing:
    case Type::AudioVolume:
        restoreVolume(event.player);
        break;
    case Type::Buffering:
        if (event.event.cache >= 100.0f && watchdog_.isActive()) {
            watchdog_.stop();
            restoreVolume(event.player);
            emit started(event.generation);
        }
        break;
    case Type::EncounteredError:
        qCInfo(lcEngine) << "choice" << event.generation << "failed:" << player(event.player)->lastError();
        fail(event.generation);
        break;
    default:
        break;
    }
}
