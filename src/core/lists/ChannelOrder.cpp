#include "core/lists/ChannelOrder.h"

namespace channelorder {

int nextChannel(int count, const IsHeading& isHeading, int from, int direction, bool wrap)
{
    if (count <= 0 || direction == 0)
        return -1;
    for (int step = 1; step <= count; ++step) {
        int row = from + direction * step;
        if (wrap)
            row = ((row % count) + count) % count;
        else if (row < 0 || row >= count)
            return -1;
        if (!isHeading(row))
            return row;
    }
    return -1;
}

int rowOfNumber(int count, const IsHeading& isHeading, int number)
{
    int counted = 0;
    for (int row = 0; row < count; ++row)
        if (!isHeading(row) && ++counted == number)
            return row;
    return -1;
}

} // namespace channelorder
