#pragma once

#include "PictureSettings.h"
#include "PlaybackFailure.h"
#include "TimeShiftSpan.h"

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// One address of a channel, with what it needs when it is opened.
struct Alternate {
    Alternate(QString address = {}, QString label = {}, QString userAgent = {}, QString referrer = {},
              PictureSettings picture = {})
        : address(std::move(address)), label(std::move(label)), userAgent(std::move(userAgent)),
          referrer(std::move(referrer)), picture(picture)
    {
    }
    QString address;   // as the player opens it
    QString label;     // the name of this line ("线路3"); may be empty
    QString userAgent; // HTTP headers this address needs; empty: libvlc's own
    QString referrer;
    PictureSettings picture; // the channel's, the same for each of its addresses
    TimeShiftSpan::Bounds timeShift; // how much of a live channel read by the program is kept
};

// What a choice asks to play: its addresses, tried in order.
using Alternates = std::vector<Alternate>;

// Where a choice stands, for the title.
struct PlaybackStatus {
    enum class Phase {
        Opening,      // the first open of the choice (or of a next address before any played)
        Playing,      // pictures flow
        Reconnecting, // it played, dropped, and is being opened again
        Ended,        // a file (or a stream of known length) reached its end
        Failed,       // every address failed; nothing plays
    };
    std::uint64_t generation = 0;
    Phase phase = Phase::Opening;
    int alternate = 0;       // which address
    int bufferPercent = 100; // below 100 while the player fills its buffer
    PlaybackFailure failure; // Failed: why, when it is known
};
