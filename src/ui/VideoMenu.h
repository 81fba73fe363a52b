#pragma once

#include <QPoint>

struct HandlerContext;

// The right-click menu over the video, in the window and in full screen:
// audio and subtitle tracks, the picture's shape, deinterlacing, a screenshot
// and the information panel.
void ShowVideoMenu(HandlerContext& context, QPoint onScreen);
