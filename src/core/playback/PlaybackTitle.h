#pragma once

#include "engine/PlaybackFailure.h"

#include <QString>

// What the title says of what plays; the window words it.
struct PlaybackTitle {
    enum class Kind {
        Idle,         // nothing chosen: the product's name
        Playing,      // opening, playing or at its end
        Paused,       // held by the user
        WatchingBack, // a programme of the past
        BehindLive,   // a live channel played from its time-shift buffer, behind live
        Reconnecting, // it dropped and is opened again
        Failed,       // every address failed: `failure` says why
    };
    Kind kind = Kind::Idle;
    QString name;
    QString label;           // the line that plays; empty when none
    int bufferPercent = 100; // below 100 while the player fills its buffer
    PlaybackFailure failure;
    bool operator==(const PlaybackTitle&) const = default;
};
