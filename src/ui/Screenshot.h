#pragma once

#include <QString>

struct HandlerContext;

// F12: the picture that plays, at its own size, as PNG into the pictures
// folder's Clipvane folder, named by the channel and the time; a short tip
// over the video says where (or that there is no picture).
void SaveScreenshot(HandlerContext& context);
// Where the next screenshot of `channel` goes.
QString ScreenshotPath(const QString& channel);
