#pragma once

#include <functional>

// Neighbours and numbers of channels in a list whose group headings are rows
// too: headings are skipped, and channel numbers count channels only.
namespace channelorder {

using IsHeading = std::function<bool(int row)>;

// The next row from `from` that is no heading, `direction` rows at a time;
// round the list when `wrap`; -1 when there is none. `from` may be -1 or
// `count` to start from an end.
int nextChannel(int count, const IsHeading& isHeading, int from, int direction, bool wrap);

// The row of channel number `number` (from 1); -1 when the list has fewer.
int rowOfNumber(int count, const IsHeading& isHeading, int number);

} // namespace channelorder
