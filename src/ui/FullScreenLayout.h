#pragma once

struct HandlerContext;

// Switches between the 707 x 415 window and full screen on the primary screen,
// by position and size alone, moving every control of the bottom row, the
// caption buttons and the list panel. The mode is the tag of FullScreenButton.
// In full screen the Esc hot key is held from other applications.
void ToggleFullScreen(HandlerContext& context);
