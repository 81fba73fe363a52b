// The tracks, the picture's shape and what a VlcPlayer plays, as libvlc tells them.
#include "VlcLogSink.h"
#include "VlcPlayer.h"
#include "platform/LibVlc.h"

#include <QHash>
#include <QUrl>

namespace {

struct TrackNotes {
    QString language;
    QString description;
};

// The language and the title a source gives each of its tracks, by the id libvlc gives it.
QHash<int, TrackNotes> trackNotes(libvlc_media_t* media)
{
    QHash<int, TrackNotes> notes;
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = LIBVLC(libvlc_media_tracks_get)(media, &tracks);
    for (unsigned index = 0; index < count; ++index)
        notes.insert(tracks[index]->i_id, {QString::fromUtf8(tracks[index]->psz_language),
                                           QString::fromUtf8(tracks[index]->psz_description)});
    if (tracks)
        LIBVLC(libvlc_media_tracks_release)(tracks, count);
    return notes;
}

// Counted from 1, with what the source says of each.
std::vector<MediaPlayer::Track> describedTracks(libvlc_track_description_t* list, const QHash<int, TrackNotes>& notes)
{
    std::vector<MediaPlayer::Track> named;
    for (const libvlc_track_description_t* track = list; track; track = track->p_next) {
        if (track->i_id < 0) // libvlc's "Disable"
            continue;
        const TrackNotes note = notes.value(track->i_id);
        named.push_back({track->i_id, int(named.size()) + 1, note.description, note.language});
    }
    if (list)
        LIBVLC(libvlc_track_description_list_release)(list);
    return named;
}

QString codecName(libvlc_track_type_t type, std::uint32_t fourcc)
{
    const char* name = LIBVLC(libvlc_media_get_codec_description)(type, fourcc);
    if (name && *name)
        return QString::fromUtf8(name);
    const char letters[4]{char(fourcc & 0xff), char((fourcc >> 8) & 0xff), char((fourcc >> 16) & 0xff),
                          char((fourcc >> 24) & 0xff)};
    return QString::fromLatin1(letters, 4).trimmed();
}

// libvlc's module names, as a viewer knows the formats.
QString containerName(const QString& demuxer)
{
    static const QHash<QString, QString> known{
        {QStringLiteral("ts"), QStringLiteral("MPEG-TS")},   {QStringLiteral("ps"), QStringLiteral("MPEG-PS")},
        {QStringLiteral("mp4"), QStringLiteral("MP4")},      {QStringLiteral("mkv"), QStringLiteral("Matroska")},
        {QStringLiteral("adaptive"), QStringLiteral("HLS/DASH")}, {QStringLiteral("es"), QStringLiteral("ES")},
        {QStringLiteral("avi"), QStringLiteral("AVI")},      {QStringLiteral("flv"), QStringLiteral("FLV")},
        {QStringLiteral("ogg"), QStringLiteral("Ogg")},      {QStringLiteral("rawvid"), QStringLiteral("Raw video")},
    };
    return known.value(demuxer, demuxer);
}

} // namespace

void VlcPlayer::SetPicture(const PictureSettings& picture)
{
    if (!mediaPlayer_)
        return;
    using Shape = PictureSettings::Shape;
    QByteArray aspect;
    switch (picture.shape) {
    case Shape::Wide:
        aspect = "16:9";
        break;
    case Shape::Standard:
        aspect = "4:3";
        break;
    case Shape::Fill:
        if (!picture.area.isEmpty())
            aspect = QByteArray::number(picture.area.width()) + ':' + QByteArray::number(picture.area.height());
        break;
    case Shape::Source:
    case Shape::CropBars:
        break;
    }
    LIBVLC(libvlc_video_set_aspect_ratio)(mediaPlayer_.get(), aspect.isEmpty() ? nullptr : aspect.constData());
    LIBVLC(libvlc_video_set_crop_geometry)(mediaPlayer_.get(), picture.shape == Shape::CropBars ? "16:9" : nullptr);

    using Deinterlace = PictureSettings::Deinterlace;
    const char* mode = nullptr;
    switch (picture.deinterlace) {
    case Deinterlace::Auto:
        // The engine's own choice holds until another is set; after that, the
        // closest it offers: yadif leaves progressive pictures nearly as they are.
        if (!deinterlaceChanged_)
            return;
        mode = "yadif";
        break;
    case Deinterlace::Off:
        mode = nullptr;
        break;
    case Deinterlace::Blend:
        mode = "blend";
        break;
    case Deinterlace::Yadif:
        mode = "yadif";
        break;
    }
    deinterlaceChanged_ = true;
    LIBVLC(libvlc_video_set_deinterlace)(mediaPlayer_.get(), mode);
}

void VlcPlayer::SetAudioTrack(int id)
{
    if (mediaPlayer_)
        LIBVLC(libvlc_audio_set_track)(mediaPlayer_.get(), id);
}

void VlcPlayer::SetSubtitleTrack(int id)
{
    if (mediaPlayer_)
        LIBVLC(libvlc_video_set_spu)(mediaPlayer_.get(), id);
}

bool VlcPlayer::AddSubtitleFile(const QString& path)
{
    const QByteArray uri = QUrl::fromLocalFile(path).toEncoded();
    return mediaPlayer_ && LIBVLC(libvlc_media_player_add_slave)(mediaPlayer_.get(), libvlc_media_slave_type_subtitle,
                                                                 uri.constData(), true) == 0;
}

std::optional<MediaPlayer::Tracks> VlcPlayer::tracks() const
{
    const std::unique_lock lock(mediaLock_, std::try_to_lock);
    if (!lock.owns_lock() || !media_ || !mediaPlayer_)
        return std::nullopt;
    const QHash<int, TrackNotes> notes = trackNotes(media_.get());
    Tracks tracks;
    tracks.audio = describedTracks(LIBVLC(libvlc_audio_get_track_description)(mediaPlayer_.get()), notes);
    tracks.subtitles = describedTracks(LIBVLC(libvlc_video_get_spu_description)(mediaPlayer_.get()), notes);
    tracks.audioId = LIBVLC(libvlc_audio_get_track)(mediaPlayer_.get());
    tracks.subtitleId = LIBVLC(libvlc_video_get_spu)(mediaPlayer_.get());
    return tracks;
}

std::optional<MediaPlayer::Description> VlcPlayer::description() const
{
    const std::unique_lock lock(mediaLock_, std::try_to_lock);
    if (!lock.owns_lock() || !media_ || !mediaPlayer_)
        return std::nullopt;
    Description described;
    if (log_) {
        QStringList containers;
        for (const QString& demuxer : log_->demuxers())
            containers.append(containerName(demuxer));
        containers.removeDuplicates();
        described.container = containers.join(QStringLiteral(" / "));
    }
    const int videoId = LIBVLC(libvlc_video_get_track)(mediaPlayer_.get());
    const int audioId = LIBVLC(libvlc_audio_get_track)(mediaPlayer_.get());
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = LIBVLC(libvlc_media_tracks_get)(media_.get(), &tracks);
    for (unsigned index = 0; index < count; ++index) {
        const libvlc_media_track_t& track = *tracks[index];
        if (track.i_type == libvlc_track_video && track.i_id == videoId) {
            described.videoCodec = codecName(libvlc_track_video, track.i_codec);
            described.videoSize = QSize(int(track.video->i_width), int(track.video->i_height));
            if (track.video->i_frame_rate_den)
                described.frameRate = double(track.video->i_frame_rate_num) / track.video->i_frame_rate_den;
        } else if (track.i_type == libvlc_track_audio && track.i_id == audioId) {
            described.audioCodec = codecName(libvlc_track_audio, track.i_codec);
            described.audioChannels = int(track.audio->i_channels);
            described.audioRate = int(track.audio->i_rate);
        }
    }
    if (tracks)
        LIBVLC(libvlc_media_tracks_release)(tracks, count);
    // The size the decoder gives, when the source did not say.
    if (described.videoSize.isEmpty())
        described.videoSize = videoSize();
    return described;
}
