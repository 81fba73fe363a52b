#include "core/lists/ListCheckTargets.h"

#include "core/lists/ChannelList.h"
#include "engine/OneConnectionHosts.h"

#include <QSet>

std::vector<CheckTarget> checkTargets(const ChannelList& list, const OneConnectionHosts& hosts)
{
    std::vector<CheckTarget> targets;
    QSet<QString> seen;
    for (int entry = 0; entry < list.entryCount(); ++entry) {
        for (const ChannelAddress& one : list.addresses(list.indexOfEntry(entry))) {
            if (!isCheckableAddress(one.address) || seen.contains(one.address))
                continue;
            seen.insert(one.address);
            targets.push_back({one.address, one.userAgent, one.referrer, QUrl(one.address).host().toLower(),
                               OneConnectionHosts::serverOf(one.address), hosts.isOneConnection(one.address)});
        }
    }
    return targets;
}
