// libFuzzer target: catch-up as lists write it, a stranger's text: the
// channel's address, its catch-up attributes and the list's, the setting's
// template and zone, and a programme's times. Besides crashes, hangs, leaks
// and undefined behaviour (times near the ends of 64 bits, days past int),
// it checks that a rule always names a template and that filling it twice
// gives the same address.

#include "FuzzRequire.h"
#include "core/guide/CatchupAddress.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 24)
        return 0;
    qint64 times[3];
    std::memcpy(times, data, sizeof times);
    // The texts, split at each "\n": address, catchup, source, days, list's catchup, source, days, zone, setting.
    const QStringList texts =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 24), qsizetype(size - 24)).split(u'\n');
    ChannelTags entry;
    entry.catchup = texts.value(1);
    entry.catchupSource = texts.value(2);
    entry.catchupDays = texts.value(3);
    ListTags list;
    list.catchup = texts.value(4);
    list.catchupSource = texts.value(5);
    list.catchupDays = texts.value(6);
    list.catchupZone = texts.value(7);
    CatchupSettings settings{texts.value(8), std::nullopt};
    bool zoneRead = false;
    if (const int zone = texts.value(9).toInt(&zoneRead); zoneRead)
        settings.zoneMinutes = zone;
    const std::optional<CatchupRule> rule = catchupRuleFor(texts.value(0), entry, list, settings);
    if (!rule)
        return 0;
    require(!rule->address.isEmpty());
    QStringList unknown;
    const QString once = catchupAddress(*rule, times[0], times[1], times[2], &unknown);
    require(catchupAddress(*rule, times[0], times[1], times[2]) == once);
    (void)isWatchableBack({times[0], times[1], QStringLiteral("t"), {}}, *rule, times[2]);
    return 0;
}
