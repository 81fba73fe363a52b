#pragma once

struct HandlerContext;

// The window bar (TitleBar and the bottom row) in full screen: hidden by
// spreading VideoSurface over the whole window, shown by putting it back.
void ShowWindowBar(HandlerContext& context);
void HideWindowBar(HandlerContext& context);
// Timer ticks: the cursor in the bottom 39 rows of the window shows the bar;
// on the screen's top row in full screen it hides it.
void OnBottomEdgeTick(HandlerContext& context);
void OnTopEdgeTick(HandlerContext& context);
// Esc: in full screen, show the bar and return to the window.
void OnEscapeHotKey(HandlerContext& context);
