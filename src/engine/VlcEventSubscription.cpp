#include "VlcEventSubscription.h"

#include "platform/LibVlc.h"

namespace {

constexpr libvlc_event_e kWatched[] = {libvlc_MediaPlayerBuffering,  libvlc_MediaPlayerPlaying,
                                       libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError,
                                       libvlc_MediaPlayerStopped,    libvlc_MediaPlayerAudioVolume,
                                       libvlc_MediaPlayerVout};

} // namespace

VlcEventSubscription::VlcEventSubscription(libvlc_event_manager_t* events, MediaPlayer::EventListener listener)
    : events_(events), listener_(std::move(listener))
{
    if (!events_)
        return;
    for (const libvlc_event_e type : kWatched)
        if (LIBVLC(libvlc_event_attach)(events_, type, &VlcEventSubscription::onEvent, this) == 0)
            attached_.push_back(type);
}

VlcEventSubscription::~VlcEventSubscription()
{
    for (const int type : attached_)
        LIBVLC(libvlc_event_detach)(events_, type, &VlcEventSubscription::onEvent, this);
}

// On a libvlc thread.
void VlcEventSubscription::onEvent(const libvlc_event_t* event, void* self)
{
    using Type = MediaPlayer::Event::Type;
    MediaPlayer::Event copy;
    switch (event->type) {
    case libvlc_MediaPlayerBuffering:
        copy.type = Type::Buffering;
        copy.cache = event->u.media_player_buffering.new_cache;
        break;
    case libvlc_MediaPlayerPlaying:
        copy.type = Type::Playing;
        break;
    case libvlc_MediaPlayerEndReached:
        copy.type = Type::EndReached;
        break;
    case libvlc_MediaPlayerEncounteredError:
        copy.type = Type::EncounteredError;
        break;
    case libvlc_MediaPlayerStopped:
        copy.type = Type::Stopped;
        break;
    case libvlc_MediaPlayerAudioVolume:
        copy.type = Type::AudioVolume;
        break;
    case libvlc_MediaPlayerVout:
        if (event->u.media_player_vout.new_count <= 0)
            return;
        copy.type = Type::VideoOutput;
        break;
    default:
        return;
    }
    static_cast<const VlcEventSubscription*>(self)->listener_(copy);
}
