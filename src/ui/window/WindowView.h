#pragma once

#include <QObject>

class MainWindow;

// The window's modes and bars: full screen and back, the list panel shown or
// hidden, the window bar hidden and shown again in full screen by the cursor
// at the screen's edges, minimising and closing.
class WindowView final : public QObject {
    Q_OBJECT
public:
    explicit WindowView(MainWindow& window);

    // Switches between the window and full screen.
    void toggleFullScreen();
    // Esc, once nothing over the video was left to close: in full screen,
    // the bar shows and the window comes back.
    void leaveFullScreen();
    // Shows or hides the list panel (SourceList with its heading); the video
    // area takes the room. The flag is the tag of ListToggleButton: "隐藏"
    // while the panel shows, "可视" while it is hidden.
    void toggleListPanel();
    // Minimises the window; mode and layout stay as they are.
    void minimize();
    // Closes the window once the current handler has returned, which ends the program.
    void close();
    // Timer ticks: the cursor in the bottom 39 rows of the window shows the
    // bar; on the screen's top row in full screen it hides it.
    void bottomEdgeTick();
    void topEdgeTick();
    // The window bar (TitleBar and the bottom row) in full screen: hidden by
    // spreading VideoSurface over the whole window, shown by putting it back.
    void showBar();
    void hideBar();

signals:
    // In full screen Esc is held from other applications, and let go after.
    void escapeHeld(bool held);

private:
    MainWindow& window_;
};
