#pragma once

#include "core/lists/ChannelKey.h"

#include <QString>

#include <vector>

// A programme the user asked to be told of: its channel by name and address,
// the programme by start and title.
struct Reminder {
    ChannelKey channel;
    qint64 start = 0; // seconds since 1970 UTC
    QString title;
    bool operator==(const Reminder&) const = default;
};

// The reminders set, told a minute before their programmes start, each once.
class Reminders {
public:
    static constexpr qint64 kAhead = 60;

    // Those kept from an earlier run; one whose time passed while the
    // program was not running is dropped, with a log line.
    void setKept(std::vector<Reminder> kept, qint64 now);
    const std::vector<Reminder>& kept() const { return kept_; }

    bool has(const ChannelKey& channel, qint64 start) const;
    // Sets the reminder, or clears it when it was set; true when it is set now.
    bool toggle(const Reminder& reminder);
    // Those due at `now`, by start, taken off the list: told once.
    std::vector<Reminder> takeDue(qint64 now);
    // When the next falls due; 0 when none is set.
    qint64 nextDue() const;

private:
    std::vector<Reminder> kept_; // by start
};
