#pragma once

class MainWindow;

// The 707 x 415 window and full screen on the primary screen, by position and
// size alone: every control of the bottom row, the caption buttons and the
// list panel move. The mode is the tag of FullScreenButton.
namespace fullscreen {
void enter(MainWindow& window);
void leave(MainWindow& window);
} // namespace fullscreen
