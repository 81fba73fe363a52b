#include "PlaybackSession.h"

#include "VlcPlayer.h"

#include <vlc/vlc.h>

namespace {

constexpr int kWatchedEvents[] = {libvlc_MediaPlayerBuffering, libvlc_MediaPlayerPlaying,
                                  libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerAudioVolume};

} // namespace

PlaybackSession::PlaybackSession(VlcPlayer& player, QObject* parent) : QObject(parent), first_(player)
{
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kStartTimeout);
    connect(&watchdog_, &QTimer::timeout, this, [this] { fail(generation_); });
    for (int index : {0, 1}) {
        volumeRetry_[index].timer.setInterval(kVolumeRetryInterval);
        connect(&volumeRetry_[index].timer, &QTimer::timeout, this, [this, index] { retryVolume(index); });
    }
    attachEvents(first_, 0);
}

PlaybackSession::~PlaybackSession()
{
    shutdown();
    detachEvents(first_, 0);
    if (VlcPlayer* second = second_.load()) {
        detachEvents(*second, 1);
        second_ = nullptr;
        secondOwned_.reset();
    }
}

VlcPlayer* PlaybackSession::player(int index) const
{
    return index == 0 ? &first_ : second_.load();
}

// The second player shows only once it exists.
VlcPlayer& PlaybackSession::showingPlayer() const
{
    return *player(showing_);
}

void PlaybackSession::attachEvents(VlcPlayer& player, int index)
{
    eventSources_[index] = {this, index};
    player.OnBuffering(&PlaybackSession::onLibVlcEvent, &eventSources_[index]);
    player.OnPlaying(&PlaybackSession::onLibVlcEvent, &eventSources_[index]);
    player.OnEncounteredError(&PlaybackSession::onLibVlcEvent, &eventSources_[index]);
    player.OnAudioVolume(&PlaybackSession::onLibVlcEvent, &eventSources_[index]);
}

void PlaybackSession::detachEvents(VlcPlayer& player, int index)
{
    for (int type : kWatchedEvents)
        player.Detach(type, &PlaybackSession::onLibVlcEvent, &eventSources_[index]);
}

// On a libvlc thread: copy what is needed and post it; never call libvlc here.
void PlaybackSession::onLibVlcEvent(const libvlc_event_t* event, void* data)
{
    const auto* source = static_cast<const EventSource*>(data);
    PlaybackSession* session = source->session;
    Event copy;
    copy.type = event->type;
    if (event->type == libvlc_MediaPlayerBuffering)
        copy.cache = event->u.media_player_buffering.new_cache;
    copy.player = source->player;
    copy.generation = session->eventGeneration_[source->player].load();
    QMetaObject::invokeMethod(session, [session, copy] { session->handle(copy); }, Qt::QueuedConnection);
}

std::uint64_t PlaybackSession::play(const QString& address, VideoWindows windows, int cachingMs)
{
    if (shutDown_)
        return generation_;
    const std::uint64_t generation = ++generation_;
    watchdog_.start();
    opener_.post([this, address, windows, cachingMs, generation] {
        OpenCurrentSource(address, windows, cachingMs, generation);
    });
    return generation;
}

// On the opener thread, with its own copy of the address.
void PlaybackSession::OpenCurrentSource(const QString& address, VideoWindows windows, int cachingMs,
                                        std::uint64_t generation)
{
    const int previous = showing_;
    // While a source plays, the next one opens on the other player, if there is one.
    const int target = showingHasSource_ && player(1 - previous) ? 1 - previous : previous;
    if (stopping_[target].joinable())
        stopping_[target].join();
    VlcPlayer& chosen = *player(target);
    QMetaObject::invokeMethod(this, [this, target] { emit showing(target); }, Qt::QueuedConnection);
    chosen.SetWindow(windows[target]);
    const bool created = chosen.Open(address);
    // The previous input of this player is gone once Open returns, so every
    // event of it from here on belongs to this choice.
    eventGeneration_[target] = generation;
    if (created) {
        // Options first: libvlc reads them when playback starts.
        const QByteArray value = QByteArray::number(cachingMs);
        for (const char* name : {":file-caching=", ":network-caching=", ":rtsp-caching="})
            chosen.AddOption(name + value);
        chosen.Play();
    }
    showing_ = target;
    if (target != previous)
        stopBeside(previous);
    if (created) {
        showingHasSource_ = true;
        if (!secondTried_)
            makeSecondPlayer(); // while the first source starts, ready for the next switch
    } else {
        // Whatever played before is not what the user chose any more.
        stopPlayer();
    }
    QMetaObject::invokeMethod(this, [this, generation, created] { opened(generation, created); },
                              Qt::QueuedConnection);
}

// On the opener thread. A player that cannot be made (libvlc gives no second
// instance) leaves the session switching on the one it has.
void PlaybackSession::makeSecondPlayer()
{
    secondTried_ = true;
    auto made = std::make_unique<VlcPlayer>();
    if (!made->Instance())
        return;
    eventGeneration_[1] = 0;
    attachEvents(*made, 1);
    const std::lock_guard lock(volumeLock_);
    if (volumeLevel_)
        made->Volume(*volumeLevel_, true);
    secondOwned_ = std::move(made);
    second_ = secondOwned_.get();
}

// On the opener thread: the player that showed before stops on a thread of its
// own; the opener waits for it only before it uses that player again.
void PlaybackSession::stopBeside(int index)
{
    VlcPlayer* leaving = player(index);
    stopping_[index] = std::jthread([leaving] { leaving->Stop(); });
}

void PlaybackSession::waitForStops()
{
    for (std::jthread& stopping : stopping_)
        if (stopping.joinable())
            stopping.join();
}

void PlaybackSession::stop()
{
    if (shutDown_)
        return;
    const std::uint64_t generation = ++generation_;
    watchdog_.stop();
    opener_.post([this, generation] {
        eventGeneration_[showing_] = generation;
        stopPlayer();
    });
}

// On the opener thread.
void PlaybackSession::stopPlayer()
{
    waitForStops();
    showingPlayer().Stop();
    showingHasSource_ = false;
    QMetaObject::invokeMethod(this, &PlaybackSession::stopped, Qt::QueuedConnection);
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    ++generation_;
    watchdog_.stop();
    opener_.shutdown([this] {
        waitForStops();
        first_.Stop();
        if (VlcPlayer* second = second_.load())
            second->Stop();
    });
    waitForStops(); // the opener may have ended before its last request ran
}

int PlaybackSession::Volume(int level, bool set)
{
    const std::lock_guard lock(volumeLock_);
    const int shown = showing_;
    if (set) {
        volumeLevel_ = level;
        if (VlcPlayer* other = player(1 - shown))
            other->Volume(level, true);
    }
    return player(shown)->Volume(level, set);
}

// A new audio output starts at the level an earlier output of its player had,
// libvlc reports it (the volume event) before the player can be asked about it,
// and the output may set its level again while it starts. So for a while after
// a choice starts playing, its player's level is checked every so often and
// put back to the kept one.
void PlaybackSession::restoreVolume(int index)
{
    player(index)->RestoreVolume();
    VolumeRetry& retry = volumeRetry_[index];
    if (retry.timer.isActive() && retry.generation == generation_)
        return;
    retry.generation = generation_;
    retry.attemptsLeft = kVolumeRetries;
    retry.timer.start();
}

void PlaybackSession::retryVolume(int index)
{
    VolumeRetry& retry = volumeRetry_[index];
    if (retry.generation != generation_ || --retry.attemptsLeft <= 0) {
        retry.timer.stop();
        return;
    }
    player(index)->RestoreVolume();
}

void PlaybackSession::opened(std::uint64_t generation, bool mediaCreated)
{
    if (!mediaCreated)
        fail(generation);
}

void PlaybackSession::fail(std::uint64_t generation)
{
    if (generation != generation_ || shutDown_)
        return;
    watchdog_.stop();
    // A source that never started is stopped, so it does not start much later.
    ++generation_;
    opener_.post([this, generation = generation_] {
        eventGeneration_[showing_] = generation;
        stopPlayer();
    });
    emit failed(generation);
}

void PlaybackSession::handle(const Event& event)
{
    if (event.generation != generation_)
        return;
    switch (event.type) {
    case libvlc_MediaPlayerPlaying:
    case libvlc_MediaPlayerAudioVolume:
        restoreVolume(event.player);
        break;
    case libvlc_MediaPlayerBuffering:
        if (event.cache >= 100.0f && watchdog_.isActive()) {
            watchdog_.stop();
            restoreVolume(event.player);
            emit started(event.generation);
        }
        break;
    case libvlc_MediaPlayerEncounteredError:
        fail(event.generation);
        break;
    default:
        break;
    }
}
