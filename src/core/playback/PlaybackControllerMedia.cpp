#include "core/playback/PlaybackController.h"

#include "core/settings/UserSettings.h"

// What is chosen of the media that plays (tracks, picture, volume) and what
// the player tells of it, for the window's menus and information panel.

void PlaybackController::startVolume(const VolumeState::Look& look)
{
    volume_.emplace(look, [this](int level) { return session_.transport().setVolume(level); });
    session_.transport().setVolume(look.number);
}

std::optional<VolumeState::Look> PlaybackController::volume() const
{
    return volume_ ? std::optional(volume_->look()) : std::nullopt;
}

void PlaybackController::chooseAudioTrack(int id)
{
    session_.transport().setAudioTrack(id);
}

void PlaybackController::chooseSubtitleTrack(int id)
{
    session_.transport().setSubtitleTrack(id);
}

void PlaybackController::addSubtitleFile(const QString& path)
{
    session_.transport().addSubtitleFile(path);
}

void PlaybackController::choosePicture(const PictureSettings& picture)
{
    const ChannelKey channel = watchedChannel();
    if (pictures_.set(channel, picture) && settings_)
        settings_->setPictures(pictures_.kept());
    session_.transport().setPicture(pictureOf(channel));
}

void PlaybackController::videoAreaResized()
{
    if (playing_.generation == 0)
        return;
    const PictureSettings picture = pictureOf(watchedChannel());
    if (picture.shape == PictureSettings::Shape::Fill)
        session_.transport().setPicture(picture);
}

void PlaybackController::stepVolumeUp()
{
    if (!volume_)
        return;
    volume_->stepUp();
    emit volumeChanged(volume_->look());
}

void PlaybackController::stepVolumeDown()
{
    if (!volume_)
        return;
    volume_->stepDown();
    emit volumeChanged(volume_->look());
}

void PlaybackController::toggleMute()
{
    if (!volume_)
        return;
    volume_->toggleMute();
    emit volumeChanged(volume_->look());
}

std::optional<Alternate> PlaybackController::currentAlternate() const
{
    return session_.currentAlternate();
}

std::optional<MediaPlayer::Tracks> PlaybackController::tracks() const
{
    return session_.transport().tracks();
}

std::optional<MediaPlayer::Description> PlaybackController::description() const
{
    return session_.transport().description();
}

std::optional<MediaPlayer::Stats> PlaybackController::stats() const
{
    return session_.transport().stats();
}

void PlaybackController::saveSnapshot(const QString& path, QObject* context, std::function<void(bool saved)> saved)
{
    session_.transport().saveSnapshot(path, context, std::move(saved));
}

const OneConnectionHosts& PlaybackController::oneConnectionHosts() const
{
    return session_.oneConnectionHosts();
}
