#pragma once

#include "core/guide/ProgrammeGuide.h"
#include "sources/PlaySource.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// How a channel's past programmes are asked of its server.
struct CatchupRule {
    QString kind;     // as the list names it: "default", "append", "shift", "flussonic", "xc"
    QString address;  // the template of a programme's address, placeholders not yet filled
    int days = 7;     // how far back
    int zoneMinutes = 8 * 60; // the service's zone, east of UTC, for the dates it is asked with
    bool zoneGiven = false;   // named by a setting or the list: also for the "{Y}{m}{d}…" placeholders
    QString zoneName;         // the service's zone by name, summer time and all; else zoneMinutes
};

// What the user's settings add: a template for lists that give their
// channels none (a plain text list has no attributes), and the service's zone.
struct CatchupSettings {
    QString source;
    std::optional<int> zoneMinutes;
};

// The rule of one entry: its own attributes, else the list's defaults, else the
// setting. None when nothing gives it catch-up, or what is given cannot be used
// (said in `why`).
std::optional<CatchupRule> catchupRuleFor(const QString& channelAddress, const ChannelTags& entry, const ListTags& list,
                                          const CatchupSettings& settings, QString* why = nullptr);

// A programme's address: the template with its placeholders filled for a
// programme from `start` to `end`, asked at `now` (seconds since 1970 UTC).
// Placeholders it does not know stay as written and are listed in `unknown`.
QString catchupAddress(const CatchupRule& rule, qint64 start, qint64 end, qint64 now, QStringList* unknown = nullptr);

// Whether a programme can be watched back at `now`: it has started, and not
// more than the rule's days ago.
bool isWatchableBack(const Programme& programme, const CatchupRule& rule, qint64 now);

// A programme as it is asked for: one without a usable end lasts to the next's start, or an hour.
Programme withEnd(const Programme& programme, const std::vector<Programme>& schedule);
// The programme after it in its channel's schedule; none at the end of what is known.
std::optional<Programme> programmeAfter(const Programme& programme, const std::vector<Programme>& schedule);
