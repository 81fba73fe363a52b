#pragma once

#include <QObject>
#include <QPoint>

class MainWindow;
class MediaInfoView;
class PictureChoices;
class PlaybackController;
class ScreenshotView;

// The right-click menu over the video, in the window and in full screen:
// audio and subtitle tracks, the picture's shape, deinterlacing, back to live
// and recording, a screenshot, the information panel and the settings.
class VideoMenuView final : public QObject {
    Q_OBJECT
public:
    VideoMenuView(MainWindow& window, PlaybackController& playback, const PictureChoices& pictures,
                  ScreenshotView& screenshot, MediaInfoView& info);

    void show(QPoint onScreen);

signals:
    void settingsAsked();

private:
    MainWindow& window_;
    PlaybackController& playback_;
    const PictureChoices& pictures_;
    ScreenshotView& screenshot_;
    MediaInfoView& info_;
};
