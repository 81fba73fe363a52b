// A live channel as a VlcPlayer plays it: read by the program into a
// time-shift buffer that libvlc reads, moved back in and recorded; and the
// events of that reading, told with libvlc's.
#include "VlcPlayer.h"

#include "EngineLog.h"
#include "FfmpegLog.h"
#include "LiveChannel.h"
#include "StreamModule.h"
#include "VlcEventSubscription.h"
#include "platform/LibVlc.h"

// A live http(s) channel read over one connection into a time-shift buffer.
// The channel before it is let go first, so that its server, which may allow
// one connection, has it back before the next one asks.
libvlc_media_t* VlcPlayer::liveMedia(const Source& source)
{
    routeFfmpegLogToCategory(); // before the stream module loads FFmpeg
    std::unique_ptr<StreamReader> reader = makeHttpReader(source.address, source.userAgent, source.referrer);
    if (!reader)
        return nullptr;
    QString error;
    std::unique_ptr<TimeShiftBuffer> buffer =
        TimeShiftBuffer::create(TimeShiftBuffer::defaultFolder(), source.timeShift, &error);
    if (!buffer) {
        qCWarning(lcEngine) << "no time-shift buffer, libvlc reads the channel:" << error;
        return nullptr;
    }
    {
        const std::lock_guard lock(mediaLock_);
        if (reader_)
            reader_->abort();
        if (live_) {
            live_->abort();
            LIBVLC(libvlc_media_player_stop)(mediaPlayer_.get());
            reader_.reset();
            live_.reset();
        }
    }
    buffer->setEndedHandler([own = own_](bool) {
        Event ended;
        ended.type = Event::Type::RecordingEnded;
        own->tell(ended);
    });
    auto channel = std::make_shared<LiveChannel>(source.address, std::move(reader), std::move(buffer));
    auto cursor = std::make_unique<LiveCursor>(channel, 0);
    libvlc_media_t* media = mediaReading(*cursor, true);
    if (!media)
        return nullptr;
    replaceMedia(media, std::move(cursor));
    const std::lock_guard lock(mediaLock_);
    live_ = std::move(channel);
    liveSource_ = source;
    return media;
}

void VlcPlayer::ShiftLive(std::int64_t behindMs)
{
    std::shared_ptr<LiveChannel> channel;
    {
        const std::lock_guard lock(mediaLock_);
        channel = live_;
    }
    if (!channel || !mediaPlayer_)
        return;
    auto cursor = std::make_unique<LiveCursor>(channel, channel->buffer().byteBehind(behindMs));
    libvlc_media_t* media = mediaReading(*cursor, true);
    if (!media)
        return;
    replaceMedia(media, std::move(cursor));
    addOptions(liveSource_);
    Play();
}

std::optional<TimeShiftBuffer::State> VlcPlayer::liveState() const
{
    const std::unique_lock lock(mediaLock_, std::try_to_lock);
    if (!lock.owns_lock() || !live_ || live_->answer() != LiveChannel::Answer::Live)
        return std::nullopt;
    return live_->buffer().state();
}

bool VlcPlayer::StartRecording(const QString& path)
{
    const std::lock_guard lock(mediaLock_);
    QString error;
    if (!live_ || !live_->buffer().startRecording(path, &error)) {
        qCWarning(lcEngine) << "a recording could not start:" << error;
        return false;
    }
    return true;
}

void VlcPlayer::StopRecording()
{
    const std::lock_guard lock(mediaLock_);
    if (live_)
        live_->buffer().stopRecording();
}

// Detached under the lock the events are told under: none runs once it is gone.
class VlcPlayer::OwnSubscription final : public Subscription {
public:
    OwnSubscription(std::shared_ptr<OwnListeners> own, int id, std::unique_ptr<Subscription> vlc)
        : own_(std::move(own)), id_(id), vlc_(std::move(vlc))
    {
    }
    ~OwnSubscription() override
    {
        const std::lock_guard lock(own_->lock);
        std::erase_if(own_->listeners, [this](const auto& listener) { return listener.first == id_; });
    }

private:
    const std::shared_ptr<OwnListeners> own_;
    const int id_;
    std::unique_ptr<Subscription> vlc_;
};

std::unique_ptr<MediaPlayer::Subscription> VlcPlayer::subscribe(EventListener listener)
{
    auto vlc = std::make_unique<VlcEventSubscription>(eventManager_, listener);
    const std::lock_guard lock(own_->lock);
    const int id = ++own_->next;
    own_->listeners.emplace_back(id, std::move(listener));
    return std::make_unique<OwnSubscription>(own_, id, std::move(vlc));
}

void VlcPlayer::OwnListeners::tell(const Event& event)
{
    const std::lock_guard held(lock);
    for (const auto& [id, listener] : listeners)
        listener(event);
}
