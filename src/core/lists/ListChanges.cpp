#include "core/lists/ListChanges.h"

#include "core/lists/ChannelKey.h"
#include "sources/ChannelAddress.h"

#include <QHash>

ListChanges countListChanges(const ListColumns& before, const ListColumns& after)
{
    // How many times each channel was there: a channel listed twice counts twice.
    QHash<ChannelKey, int> left;
    left.reserve(before.names.size());
    for (qsizetype entry = 0; entry < before.names.size() && entry < before.written.size(); ++entry)
        if (!isGroupHeading(before.written[entry]))
            ++left[ChannelKey{before.names[entry], before.written[entry]}];
    ListChanges changes;
    for (qsizetype entry = 0; entry < after.names.size() && entry < after.written.size(); ++entry) {
        if (isGroupHeading(after.written[entry]))
            continue;
        const auto found = left.find(ChannelKey{after.names[entry], after.written[entry]});
        if (found == left.end() || *found == 0) {
            ++changes.added;
        } else {
            --*found;
        }
    }
    for (int count : std::as_const(left))
        changes.removed += count; // what no entry of the new list took
    return changes;
}
