#include "PlaybackSession.h"

#include "VlcPlayer.h"

#include <vlc/vlc.h>

namespace {

constexpr int kWatchedEvents[] = {libvlc_MediaPlayerBuffering, libvlc_MediaPlayerPlaying,
                                  libvlc_MediaPlayerEncounteredError};

} // namespace

PlaybackSession::PlaybackSession(VlcPlayer& player, QObject* parent)
    : QObject(parent), player_(player), eventGeneration_(0)
{
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kStartTimeout);
    connect(&watchdog_, &QTimer::timeout, this, [this] { fail(generation_); });
    player_.OnBuffering(&PlaybackSession::onLibVlcEvent, this);
    player_.OnPlaying(&PlaybackSession::onLibVlcEvent, this);
    player_.OnEncounteredError(&PlaybackSession::onLibVlcEvent, this);
}

PlaybackSession::~PlaybackSession()
{
    shutdown();
    for (int type : kWatchedEvents)
        player_.Detach(type, &PlaybackSession::onLibVlcEvent, this);
}

// On a libvlc thread: copy what is needed and post it; never call libvlc here.
void PlaybackSession::onLibVlcEvent(const libvlc_event_t* event, void* data)
{
    auto* session = static_cast<PlaybackSession*>(data);
    Event copy;
    copy.type = event->type;
    if (event->type == libvlc_MediaPlayerBuffering)
        copy.cache = event->u.media_player_buffering.new_cache;
    copy.generation = session->eventGeneration_.load();
    QMetaObject::invokeMethod(session, [session, copy] { session->handle(copy); }, Qt::QueuedConnection);
}

std::uint64_t PlaybackSession::play(const QString& address, std::uint32_t xWindow, int cachingMs)
{
    if (shutDown_)
        return generation_;
    const std::uint64_t generation = ++generation_;
    watchdog_.start();
    opener_.post([this, address, xWindow, cachingMs, generation] {
        OpenCurrentSource(address, xWindow, cachingMs, generation);
    });
    return generation;
}

// On the opener thread, with its own copy of the address.
void PlaybackSession::OpenCurrentSource(const QString& address, std::uint32_t xWindow, int cachingMs,
                                        std::uint64_t generation)
{
    player_.SetWindow(xWindow);
    const bool created = player_.Open(address);
    // The previous input is gone once Open returns, so every event from here
    // on belongs to this choice.
    eventGeneration_ = generation;
    if (created) {
        // Options first: libvlc reads them when playback starts.
        const QByteArray value = QByteArray::number(cachingMs);
        for (const char* name : {":file-caching=", ":network-caching=", ":rtsp-caching="})
            player_.AddOption(name + value);
        player_.Play();
    } else {
        // Whatever played before is not what the user chose any more.
        stopPlayer();
    }
    QMetaObject::invokeMethod(this, [this, generation, created] { opened(generation, created); },
                              Qt::QueuedConnection);
}

void PlaybackSession::stop()
{
    if (shutDown_)
        return;
    const std::uint64_t generation = ++generation_;
    watchdog_.stop();
    opener_.post([this, generation] {
        eventGeneration_ = generation;
        stopPlayer();
    });
}

// On the opener thread.
void PlaybackSession::stopPlayer()
{
    player_.Stop();
    QMetaObject::invokeMethod(this, &PlaybackSession::stopped, Qt::QueuedConnection);
}

void PlaybackSession::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    ++generation_;
    watchdog_.stop();
    opener_.shutdown([this] { player_.Stop(); });
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
        eventGeneration_ = generation;
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
        player_.RestoreVolume();
        break;
    case libvlc_MediaPlayerBuffering:
        if (event.cache >= 100.0f && watchdog_.isActive()) {
            watchdog_.stop();
            player_.RestoreVolume();
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
