#pragma once

#include <QString>

#include <cstdint>

// Why a choice could not be played, as the engine knows it; the window words it.
struct PlaybackFailure {
    enum class Kind {
        None,
        NoStartInTime,      // nothing played within `seconds`
        NoMedia,            // the engine could not make a media of the address
        NothingPlayable,    // the source ended before anything played
        ConnectionLost,     // it played, dropped, and the reconnects did not bring it back
        EngineError,        // the engine's own words in `detail`
        StreamModuleMissing,  // the stream readers' module could not be opened; `detail` names it
        ReadByEngine,       // the address answered with no live stream: the engine reads it itself
    };
    Kind kind = Kind::None;
    std::int64_t seconds = 0;
    QString detail;

    bool isKnown() const { return kind != Kind::None; }
    bool operator==(const PlaybackFailure&) const = default;
};
