#pragma once

#include <cstdint>

struct HandlerContext;

// Double-click on a SourceList item: show its name as playing and hand its
// address to the opener. An empty list only says so.
void PlaySelectedEntry(HandlerContext& context);
// Stop button: the product title comes back and the player stops.
void StopPlayback(HandlerContext& context);
// A choice could not be played: the title says so, if it still names that choice.
void ShowPlaybackFailure(HandlerContext& context, std::uint64_t generation);
