#pragma once

struct HandlerContext;

// Channels as the keys reach them: entries that are no group heading, in list
// order; the played ones remembered for Backspace and Space.

// Moves the selection to the entry above (-1) or below (+1), over headings; nothing plays.
void MoveSelection(HandlerContext& context, int direction);
// The channel before (-1) or after (+1) the one chosen last (the selection
// when none was), played at once; round from the end to the start.
void PlayNeighbourChannel(HandlerContext& context, int direction);
// Channel number `number`, counted from 1 over the entries that are no
// heading; false when there is no such channel.
bool PlayChannelNumber(HandlerContext& context, int number);
// The channel played before the one that plays; again, the one after it.
void PlayPreviousChannel(HandlerContext& context);
// Entry `index` selected, in view, and played.
void PlayEntry(HandlerContext& context, int index);
// Stops what plays; when nothing plays, the entry chosen last plays again.
void StopOrPlayAgain(HandlerContext& context);
// Selects the channel played last before the program ended, if the list still
// has it, and brings it into view; nothing plays.
void SelectRememberedChannel(HandlerContext& context);
