#pragma once

struct HandlerContext;

// The window follows the core's controller: the title, the entry chosen
// selected with what is on, the volume drawn, the position bar after a pause
// or a jump, the players' windows shown as the session switches, and a
// picture stretched to fill the area following its size.
void FollowPlayback(HandlerContext& context);
// The position bar over the video, for a while, when what plays has a position.
void ShowPositionBar(HandlerContext& context);
