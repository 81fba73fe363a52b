#pragma once

#include <QObject>
#include <QPointer>

class ChannelNavigator;
class MainWindow;
class PlaybackController;
class PositionBar;
class VideoArea;

// The window's side of what plays: the title, the volume drawn, the position
// bar after a pause or a jump, the players' surfaces shown as the session
// switches, and a picture stretched to fill the area following its size.
// Double-click and Enter play the selected entry through it.
class PlaybackView final : public QObject {
    Q_OBJECT
public:
    PlaybackView(MainWindow& window, PlaybackController& playback, const ChannelNavigator& channels, VideoArea& video);
    // The position bar goes with it: it reads the controller while it shows.
    ~PlaybackView() override;

    // The selected entry plays (the controller decides how); an empty list only says so.
    void playSelected();
    // The stop button: the product title comes back and the player stops.
    void stop();
    // The position bar over the video, for a while, when what plays has a position.
    void showPositionBar();

private:
    void makePositionBar();

    MainWindow& window_;
    PlaybackController& playback_;
    const ChannelNavigator& channels_;
    VideoArea& video_;
    QPointer<PositionBar> positionBar_; // a window of its own over the main window
};
