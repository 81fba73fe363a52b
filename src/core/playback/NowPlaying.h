#pragma once

#include "core/lists/ChannelKey.h"
#include "core/guide/ProgrammeGuide.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The choice that plays: the title names it, and a late word of an older
// choice never overwrites what is said of a newer one.
struct NowPlaying {
    std::uint64_t generation = 0; // 0: nothing chosen since the last stop
    QString name;       // the channel's, or "channel  title  date" of a programme watched back
    QStringList labels; // the line name of each of its addresses; may be empty
    // The channel chosen (the channel of a programme watched back too) and
    // its addresses in the order they are tried (empty for a programme watched back).
    ChannelKey channel;
    QStringList addresses;
    QString listFirst; // the address the list gives first
};

// A past programme that plays in place of its channel's live stream.
struct WatchingBack {
    ChannelKey channel;
    Programme programme;   // with its end
    qint64 fromSecond = 0; // where in the programme the address played begins
};
