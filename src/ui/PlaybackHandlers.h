#pragma once

struct HandlerContext;

// Double-click on a SourceList item, Enter: the selected entry plays (the
// core's controller decides how). An empty list only says so.
void PlaySelectedEntry(HandlerContext& context);
// Stop button: the product title comes back and the player stops.
void StopPlayback(HandlerContext& context);
