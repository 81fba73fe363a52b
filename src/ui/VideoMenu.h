#pragma once

#include "core/ChannelKey.h"
#include "engine/PictureSettings.h"

#include <QPoint>

struct HandlerContext;

// The right-click menu over the video, in the window and in full screen:
// audio and subtitle tracks, the picture's shape, deinterlacing, a screenshot
// and the information panel.
void ShowVideoMenu(HandlerContext& context, QPoint onScreen);

// The list entry of what plays: the channel of the programme watched back,
// else the channel chosen last; -1 while nothing plays or the list lost it.
int WatchedEntry(HandlerContext& context);
// The channel whose picture the menu shapes: the one chosen, or the channel
// of the programme watched back. Empty name and address while nothing plays.
ChannelKey WatchedChannel(HandlerContext& context);
// The picture kept for a channel, fitted to the video area as it is now.
PictureSettings PictureFor(HandlerContext& context, const ChannelKey& channel);
// From now on a picture stretched to fill the video area follows its size.
void RefitPictureToVideoArea(HandlerContext& context);
