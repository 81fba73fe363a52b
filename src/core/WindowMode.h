#pragma once

// How the window is laid out: full screen or windowed, the channel list shown
// or hidden. The window's buttons show it; the handlers decide from it.
struct WindowMode {
    bool fullScreen = false;
    bool listShown = true;
};
