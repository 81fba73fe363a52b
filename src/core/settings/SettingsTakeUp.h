#pragma once

struct AppCore;

// The settings file changed (saved from the settings window, or a copy
// brought in): each part of the core takes up what it can now. Opening ahead
// follows at once (turned back on needs the third player, made at start
// only); the buffer goes with the next open; the lists, their refresh and
// the kept first addresses and pictures at once. Favourites are the window's
// to show again.
void takeUpSettings(AppCore& core);
