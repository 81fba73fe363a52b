#pragma once

#include "core/CatchupAddress.h"

#include <cstdint>
#include <optional>

struct HandlerContext;

// What the list and the settings give entry `entry` for watching back; none
// when nothing does (logged when what is given cannot be used).
std::optional<CatchupRule> CatchupRuleOf(HandlerContext& context, int entry);
// Plays a past programme of entry `entry` from `fromSecond` into it, in place
// of the live channel; the title says "正在回看：".
void WatchProgrammeBack(HandlerContext& context, int entry, const Programme& programme, qint64 fromSecond = 0);
// A programme watched back came to its end: the next of its channel follows,
// or the channel live when the next has not begun.
void FollowWithNextProgramme(HandlerContext& context);

// Space: a source with a position is held or goes on; a live one stops, or
// plays again when stopped.
void PauseOrStopOrPlayAgain(HandlerContext& context);
// Jumps in what plays, by an amount or to a position from the start of the
// file or of the programme watched back; a jump the stream cannot make asks
// the server again from there.
void JumpBy(HandlerContext& context, std::int64_t milliseconds);
void JumpTo(HandlerContext& context, std::int64_t milliseconds);
// The position bar over the video, for a while, when what plays has a position.
void ShowPositionBar(HandlerContext& context);
// Mouse moves over the video show the position bar from the first choice on.
void WatchVideoForPositionBar(HandlerContext& context);
