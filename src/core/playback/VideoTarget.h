#pragma once

#include "engine/PlaybackSession.h"

#include <QSize>

// Where the players draw: one X window each, and the size of the area they
// fill (a picture stretched to fill follows it). The window implements it.
class VideoTarget {
public:
    virtual ~VideoTarget() = default;
    virtual PlaybackSession::VideoWindows playerWindows() const = 0;
    virtual QSize size() const = 0;
};
