#pragma once

#include <QPointer>

class MainWindow;
class MediaInfoPanel;
class PlaybackController;
class VideoArea;

// The video menu's 信息: what plays (its address, format, codecs, sizes and
// rates) in a panel over the top left of the video, from the controller.
class MediaInfoView {
public:
    MediaInfoView(MainWindow& window, const PlaybackController& playback, VideoArea& video);
    // The panel goes with it: it reads the controller while it shows.
    ~MediaInfoView();
    MediaInfoView(const MediaInfoView&) = delete;
    MediaInfoView& operator=(const MediaInfoView&) = delete;

    // Shows the panel, or closes it.
    void toggle();
    bool isShown() const;
    // Esc: closes it; false when it was not showing.
    bool close();

private:
    MainWindow& window_;
    const PlaybackController& playback_;
    VideoArea& video_;
    QPointer<MediaInfoPanel> panel_; // a window of its own over the main window
};
