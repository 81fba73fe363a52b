#pragma once

#include "core/playback/VideoTarget.h"

#include <QObject>
#include <QRect>

#include <array>
#include <functional>

class PlaybackController;
class QWidget;

// The video area: VideoSurface, where the first player draws, and a window of
// its own over it for each other player (SecondVideoSurface), the one of the
// player that shows made visible. What the overlays over the video (banner,
// schedule, position bar, panels) place themselves by.
class VideoArea final : public QObject, public VideoTarget {
    Q_OBJECT
public:
    explicit VideoArea(QWidget& videoSurface);

    PlaybackSession::VideoWindows playerWindows() const override;
    QSize size() const override;
    // Where it is on the screen.
    QRect onScreen() const;
    // VideoSurface and the players' windows over it: what the pointer moves over.
    std::array<QWidget*, 3> surfaces() const;

    // Shows the window of the player the session shows, and paints over the
    // last picture a stopped player left behind.
    void follow(PlaybackController& playback);

signals:
    void resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& surface_;
    std::array<QWidget*, 2> overlays_{}; // owned by the surface
};
