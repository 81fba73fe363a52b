#pragma once

#include <QString>

class MainWindow;
class PlaybackController;
class UserSettings;
class VideoArea;

// F12: the picture that plays, at its own size, as PNG into the folder the
// user chose (the pictures folder's Clipvane folder by default), named by the
// channel and the time; a short tip over the video says where (or that there
// is no picture).
class ScreenshotView {
public:
    ScreenshotView(MainWindow& window, PlaybackController& playback, const UserSettings* settings, VideoArea& video);

    void save();

private:
    void tell(const QString& text);

    MainWindow& window_;
    PlaybackController& playback_;
    const UserSettings* settings_;
    VideoArea& video_;
};

// Where the next screenshot of `channel` goes; `folder` empty for the default.
QString ScreenshotPath(const QString& channel, const QString& folder);
