#pragma once

struct HandlerContext;

// Shows or hides the list panel (SourceList with its heading); the video area
// takes the room. The flag is the tag of ListToggleButton: "隐藏" while the
// panel shows, "可视" while it is hidden.
void ToggleListPanel(HandlerContext& context);
// Minimises the window; mode and layout stay as they are.
void MinimizeWindow(HandlerContext& context);
// Closes the window once the current handler has returned, which ends the program.
void CloseWindow(HandlerContext& context);
