#include "ui/playback/VideoArea.h"

#include "ui/playback/SecondVideoSurface.h"
#include "core/playback/PlaybackController.h"

#include <QEvent>

VideoArea::VideoArea(QWidget& videoSurface) : QObject(&videoSurface), surface_(videoSurface)
{
    for (QWidget*& overlay : overlays_)
        overlay = new SecondVideoSurface(videoSurface);
    videoSurface.installEventFilter(this);
}

PlaybackSession::VideoWindows VideoArea::playerWindows() const
{
    const auto first = std::uint32_t(surface_.winId());
    return {first, std::uint32_t(overlays_[0]->winId()), std::uint32_t(overlays_[1]->winId())};
}

QSize VideoArea::size() const
{
    return surface_.size();
}

QRect VideoArea::onScreen() const
{
    return QRect(surface_.mapToGlobal(QPoint(0, 0)), surface_.size());
}

std::array<QWidget*, 3> VideoArea::surfaces() const
{
    return {&surface_, overlays_[0], overlays_[1]};
}

void VideoArea::follow(PlaybackController& playback)
{
    connect(&playback, &PlaybackController::playerShown, this, [this](int player) {
        for (size_t index = 0; index < overlays_.size(); ++index)
            overlays_[index]->setVisible(player == int(index) + 1);
    });
    // libvlc's video window is gone and left its last picture behind: paint over it.
    connect(&playback, &PlaybackController::playersStopped, this, [this] {
        surface_.update();
        for (QWidget* overlay : overlays_)
            overlay->update();
    });
}

bool VideoArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &surface_ && event->type() == QEvent::Resize)
        emit resized();
    return false;
}
