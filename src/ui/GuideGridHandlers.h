#pragma once

struct HandlerContext;

// The key E, or the list heading's menu: the guide's grid over the video and
// the list, on now and the channel playing; again, it closes.
void ToggleGuideGrid(HandlerContext& context);
// Esc, whichever way it comes: true when the grid was open and is closed now.
bool CloseGuideGrid(HandlerContext& context);
// What the guide knows changed: the grid showing draws it.
void RefreshGuideGrid(HandlerContext& context);
