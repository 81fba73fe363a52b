#include "VlcPlayer.h"

#include "EngineLog.h"
#include "FfmpegLog.h"
#include "LiveChannel.h"
#include "StreamModule.h"
#include "SourceAddress.h"
#include "VlcEventSubscription.h"
#include "VlcLogSink.h"
#include "VlcOptions.h"
#include "platform/LibVlc.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

void VlcPlayer::InstanceRelease::operator()(libvlc_instance_t* instance) const
{
    LIBVLC(libvlc_release)(instance);
}

void VlcPlayer::PlayerRelease::operator()(libvlc_media_player_t* player) const
{
    LIBVLC(libvlc_media_player_release)(player);
}

void VlcPlayer::MediaRelease::operator()(libvlc_media_t* media) const
{
    LIBVLC(libvlc_media_release)(media);
}

VlcPlayer::VlcPlayer() : instance_(LIBVLC(libvlc_new)(0, nullptr))
{
    if (!instance_)
        return;
    // Before the media player: making it already opens the audio output, which
    // has much to say on a machine without sound.
    log_ = std::make_unique<VlcLogSink>(instance_.get());
    mediaPlayer_.reset(LIBVLC(libvlc_media_player_new)(instance_.get()));
    // The player's event manager lives as long as the player: fetched once, so
    // that attaching on one thread never races an Open on another.
    if (mediaPlayer_)
        eventManager_ = LIBVLC(libvlc_media_player_event_manager)(mediaPlayer_.get());
}

// The media player goes before the instance it was made from.
VlcPlayer::~VlcPlayer()
{
    Release();
}

void VlcPlayer::Release()
{
    {
        const std::lock_guard lock(mediaLock_);
        if (reader_)
            reader_->abort();
        if (live_)
            live_->abort();
        media_.reset();
    }
    eventManager_ = nullptr;
    mediaPlayer_.reset();
    log_.reset();
    instance_.reset();
}

libvlc_instance_t* VlcPlayer::Instance() const
{
    return instance_.get();
}

void VlcPlayer::SetWindow(std::uint32_t xWindow)
{
    if (!mediaPlayer_)
        return;
    LIBVLC(libvlc_media_player_set_xwindow)(mediaPlayer_.get(), xWindow);
    // Clicks and keys over the video belong to the window, not to libvlc.
    LIBVLC(libvlc_video_set_key_input)(mediaPlayer_.get(), 0);
    LIBVLC(libvlc_video_set_mouse_input)(mediaPlayer_.get(), 0);
}

namespace {

// libvlc's side of a media read through a StreamReader.
int openReader(void* reader, void** data, std::uint64_t* size)
{
    *data = reader;
    *size = UINT64_MAX; // live: no length
    return 0;
}

// A live channel's cursor: libvlc's input waits here for the server's answer,
// and fails when it is no live stream (the session then opens it again, read
// by libvlc).
int openLive(void* cursor, void** data, std::uint64_t* size)
{
    *data = cursor;
    *size = UINT64_MAX;
    return static_cast<LiveCursor*>(cursor)->waitForLive() ? 0 : -1;
}

ssize_t readReader(void* reader, unsigned char* buffer, size_t size)
{
    return static_cast<StreamReader*>(reader)->read(buffer, size);
}

// Seeking is what lets libvlc's input pause: the buffer keeps what comes meanwhile.
int seekLive(void* cursor, std::uint64_t offset)
{
    static_cast<LiveCursor*>(cursor)->seek(offset);
    return 0;
}

void closeReader(void*) {}

} // namespace

libvlc_media_t* VlcPlayer::mediaReading(StreamReader& reader, bool live)
{
    return live ? LIBVLC(libvlc_media_new_callbacks)(instance_.get(), &openLive, &readReader, &seekLive, &closeReader,
                                                     &reader)
                : LIBVLC(libvlc_media_new_callbacks)(instance_.get(), &openReader, &readReader, nullptr,
                                                     &closeReader, &reader);
}

bool VlcPlayer::Open(const QString& source)
{
    if (!instance_ || !mediaPlayer_)
        return false;
    routeFfmpegLogToCategory(); // before libvlc's decoders or the RTSP reader load FFmpeg
    const QByteArray utf8 = source.toUtf8();
    std::unique_ptr<StreamReader> rtsp;
    libvlc_media_t* media = nullptr;
    if (readsRtspItself(source)) {
        rtsp = makeRtspReader(source);
        media = mediaReading(*rtsp, false);
    } else if (hasUriScheme(source)) {
        media = LIBVLC(libvlc_media_new_location)(instance_.get(), utf8.constData());
    } else {
        media = LIBVLC(libvlc_media_new_path)(instance_.get(), utf8.constData());
    }
    if (!media)
        return false;
    {
        // Its input may wait in the live channel for an answer.
        const std::lock_guard lock(mediaLock_);
        if (live_)
            live_->abort();
    }
    replaceMedia(media, std::move(rtsp));
    const std::lock_guard lock(mediaLock_);
    live_.reset();
    return true;
}

// The previous reader goes once nothing reads from it any more.
void VlcPlayer::replaceMedia(libvlc_media_t* media, std::unique_ptr<StreamReader> reader)
{
    const std::lock_guard lock(mediaLock_);
    if (log_)
        log_->forgetSource();
    // The input going away may be waiting in the reader: let it go first.
    if (reader_)
        reader_->abort();
    // Replacing the media stops the previous input and waits for it.
    LIBVLC(libvlc_media_player_set_media)(mediaPlayer_.get(), media);
    media_.reset(media);
    reader_.swap(reader);
}

void VlcPlayer::Play()
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_play)(mediaPlayer_.get());
}

void VlcPlayer::Pause()
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_pause)(mediaPlayer_.get());
}

void VlcPlayer::SetPaused(bool paused)
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_set_pause)(mediaPlayer_.get(), paused ? 1 : 0);
}

void VlcPlayer::StepPicture()
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_next_frame)(mediaPlayer_.get());
}

void VlcPlayer::SetDrawnSmall(bool small)
{
    // A zoom of 1/100 of the picture's own size; 0 fits the picture to the window again.
    if (mediaPlayer_)
        LIBVLC(libvlc_video_set_scale)(mediaPlayer_.get(), small ? 0.01f : 0.f);
}

bool VlcPlayer::SaveSnapshot(const QString& path)
{
    // Width and height 0: the picture's own size.
    return mediaPlayer_ &&
           LIBVLC(libvlc_video_take_snapshot)(mediaPlayer_.get(), 0, QFile::encodeName(path).constData(), 0, 0) == 0;
}

void VlcPlayer::Seek(std::int64_t milliseconds)
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_set_time)(mediaPlayer_.get(), std::max<std::int64_t>(milliseconds, 0));
}

void VlcPlayer::Stop()
{
    if (!mediaPlayer_)
        return;
    // Held while the input goes away, so that stats() never waits on it.
    const std::lock_guard lock(mediaLock_);
    // The input may be waiting in the reader, and libvlc waits for the input.
    if (reader_)
        reader_->abort();
    if (live_)
        live_->abort();
    LIBVLC(libvlc_media_player_stop)(mediaPlayer_.get());
    if (live_) {
        // Its buffer file goes now, and its media with the cursor that reads it:
        // nothing plays them again.
        LIBVLC(libvlc_media_player_set_media)(mediaPlayer_.get(), nullptr);
        media_.reset();
        reader_.reset();
        live_.reset();
    }
}

int VlcPlayer::Volume(int level, bool set)
{
    if (set) {
        keptVolume_ = std::max(level, 0);
        if (mediaPlayer_)
            LIBVLC(libvlc_audio_set_volume)(mediaPlayer_.get(), keptVolume_);
        // The level asked for is the one kept, not a reading taken at once: the
        // sound server applies it later, and until then the output reports its
        // old level (0 for a channel that was opened ahead silent).
        return keptVolume_;
    }
    const int reported = mediaPlayer_ ? LIBVLC(libvlc_audio_get_volume)(mediaPlayer_.get()) : -1;
    // A mere reading is not kept either: a new audio output reports the level it
    // started at until it is given ours.
    return reported < 0 ? keptVolume_.load() : reported;
}

void VlcPlayer::RestoreVolume()
{
    if (!mediaPlayer_)
        return;
    const int kept = keptVolume_;
    const int reported = LIBVLC(libvlc_audio_get_volume)(mediaPlayer_.get());
    if (reported >= 0 && reported != kept)
        LIBVLC(libvlc_audio_set_volume)(mediaPlayer_.get(), kept);
}

std::int64_t VlcPlayer::Duration() const
{
    const std::lock_guard lock(mediaLock_);
    return media_ ? LIBVLC(libvlc_media_get_duration)(media_.get()) : -1;
}

std::int64_t VlcPlayer::Time() const
{
    return mediaPlayer_ ? LIBVLC(libvlc_media_player_get_time)(mediaPlayer_.get()) : -1;
}

std::uint32_t VlcPlayer::Window() const
{
    return mediaPlayer_ ? LIBVLC(libvlc_media_player_get_xwindow)(mediaPlayer_.get()) : 0;
}

int VlcPlayer::State() const
{
    return mediaPlayer_ ? int(LIBVLC(libvlc_media_player_get_state)(mediaPlayer_.get())) : int(libvlc_NothingSpecial);
}

void VlcPlayer::SetTime(int milliseconds)
{
    if (mediaPlayer_)
        LIBVLC(libvlc_media_player_set_time)(mediaPlayer_.get(), libvlc_time_t(milliseconds));
}

QSize VlcPlayer::videoSize() const
{
    unsigned width = 0;
    unsigned height = 0;
    if (!mediaPlayer_ || LIBVLC(libvlc_video_get_size)(mediaPlayer_.get(), 0, &width, &height) != 0)
        return {};
    return QSize(int(width), int(height));
}

int VlcPlayer::VideoHeight() const
{
    return videoSize().height();
}

int VlcPlayer::VideoWidth() const
{
    return videoSize().width();
}

void VlcPlayer::attach(int eventType, VlcCallback callback, void* data)
{
    if (eventManager_)
        LIBVLC(libvlc_event_attach)(eventManager_, eventType, callback, data);
}

std::optional<MediaPlayer::Stats> VlcPlayer::stats() const
{
    // Open and Stop hold the lock while libvlc waits for an input to go away;
    // then the player's own lock is held too, and asking would wait.
    const std::unique_lock lock(mediaLock_, std::try_to_lock);
    if (!lock.owns_lock() || !media_ || !mediaPlayer_)
        return std::nullopt;
    libvlc_media_stats_t counters{};
    if (!LIBVLC(libvlc_media_get_stats)(media_.get(), &counters))
        return std::nullopt;
    Stats stats;
    stats.demuxBytes = counters.i_demux_read_bytes;
    stats.displayedPictures = counters.i_displayed_pictures;
    stats.decodedAudio = counters.i_decoded_audio;
    stats.lostPictures = counters.i_lost_pictures;
    stats.timeMs = LIBVLC(libvlc_media_player_get_time)(mediaPlayer_.get());
    stats.lengthMs = LIBVLC(libvlc_media_player_get_length)(mediaPlayer_.get());
    stats.seekable = LIBVLC(libvlc_media_player_is_seekable)(mediaPlayer_.get()) != 0;
    return stats;
}

PlaybackFailure VlcPlayer::lastError() const
{
    using Kind = PlaybackFailure::Kind;
    // Asked on the window's thread: never waits for an open or a stop.
    if (const std::unique_lock lock(mediaLock_, std::try_to_lock); lock.owns_lock() && reader_) {
        if (reader_->isForTheEngine())
            return {Kind::ReadByEngine, 0, {}};
        if (QString error = reader_->error(); !error.isEmpty())
            return {reader_->isModuleMissing() ? Kind::StreamModuleMissing : Kind::EngineError, 0, error};
    }
    const QString error = log_ ? log_->lastError() : QString();
    return error.isEmpty() ? PlaybackFailure{} : PlaybackFailure{Kind::EngineError, 0, error};
}

void VlcPlayer::OnTimeChanged(VlcCallback callback, void* data)
{
    attach(libvlc_MediaPlayerTimeChanged, callback, data);
}

void VlcPlayer::OnPaused(VlcCallback callback, void* data)
{
    attach(libvlc_MediaPlayerPaused, callback, data);
}

void VlcPlayer::OnStopped(VlcCallback callback, void* data)
{
    attach(libvlc_MediaPlayerStopped, callback, data);
}

void VlcPlayer::OnPlaying(VlcCallback callback, void* data)
{
    attach(libvlc_MediaPlayerPlaying, callback, data);
}

void VlcPlayer::OnBuffering(VlcCallback callback, void* data)
{
    attach(libvlc_MediaPlayerBuffering, callback, data);
}

bool VlcPlayer::OpenSource(const Source& source)
{
    const bool live = instance_ && mediaPlayer_ && readsLiveItself(source.address) && liveMedia(source);
    if (!live && !Open(source.address))
        return false;
    SetPicture(source.picture);
    addOptions(source);
    return true;
}

// libvlc reads them when playback starts.
void VlcPlayer::addOptions(const Source& source)
{
    for (const QByteArray& option : vlcSourceOptions(source))
        AddOption(option);
}

void VlcPlayer::AddOption(const QByteArray& option)
{
    const std::lock_guard lock(mediaLock_);
    if (media_)
        LIBVLC(libvlc_media_add_option)(media_.get(), option.constData());
}

QByteArray VlcPlayer::ToUtf8(const QByteArray& gbk)
{
    if (gbk.isEmpty())
        return {};
    QStringDecoder decoder("GB18030");
    const QString text = decoder(gbk);
    return text.toUtf8();
}
