#pragma once

#include <QString>

struct HandlerContext;

// F12: the picture that plays, at its own size, as PNG into the folder the
// user chose (the pictures folder's Clipvane folder by default), named by the channel and the time; a short tip
// over the video says where (or that there is no picture).
void SaveScreenshot(HandlerContext& context);
// Where the next screenshot of `channel` goes; `folder` empty for the default.
QString ScreenshotPath(const QString& channel, const QString& folder);
