#pragma once

#include <cstdint>

#include <QRect>
#include <QString>
#include <QStringList>

#include <array>

#include "engine/PlaybackTypes.h"

struct HandlerContext;

// Double-click on a SourceList item: show its name as playing and hand its
// address to the opener. An empty list only says so.
void PlaySelectedEntry(HandlerContext& context);
// What entry `index` plays: its addresses with their lines and headers, and
// the line names for the title. Empty for a heading.
Alternates EntryAlternates(HandlerContext& context, int index, QStringList* labels = nullptr);
// The X windows the players draw into, the first VideoSurface's.
std::array<std::uint32_t, 3> PlayerWindows(HandlerContext& context);
// The video area on screen: where the banner, the schedule and the position bar go.
QRect VideoOnScreen(HandlerContext& context);
// What the title says before the name of what plays: held, watched back, or playing.
QString PlayingPrefix(HandlerContext& context);
// Stop button: the product title comes back and the player stops.
void StopPlayback(HandlerContext& context);
// A choice could not be played: the title says so, if it still names that
// choice, and its tooltip says why when the reason is known.
void ShowPlaybackFailure(HandlerContext& context, std::uint64_t generation, const QString& reason);
// Where the choice the title names stands: playing, buffering, reconnecting.
void ShowPlaybackStatus(HandlerContext& context, const PlaybackStatus& status);
