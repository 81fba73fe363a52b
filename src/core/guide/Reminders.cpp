#include "core/guide/Reminders.h"

#include "core/CoreLog.h"

#include <algorithm>

namespace {

bool byStart(const Reminder& a, const Reminder& b)
{
    return a.start < b.start;
}

} // namespace

void Reminders::setKept(std::vector<Reminder> kept, qint64 now)
{
    std::erase_if(kept, [now](const Reminder& reminder) {
        if (reminder.start - kAhead > now)
            return false;
        qCWarning(lcReminders) << "the reminder of" << reminder.title << "on" << reminder.channel.name
                            << "was missed while the program was not running; dropped";
        return true;
    });
    std::stable_sort(kept.begin(), kept.end(), byStart);
    kept_ = std::move(kept);
}

bool Reminders::has(const ChannelKey& channel, qint64 start) const
{
    return std::any_of(kept_.begin(), kept_.end(),
                       [&](const Reminder& reminder) { return reminder.start == start && reminder.channel == channel; });
}

bool Reminders::toggle(const Reminder& reminder)
{
    const auto found = std::find_if(kept_.begin(), kept_.end(), [&](const Reminder& kept) {
        return kept.start == reminder.start && kept.channel == reminder.channel;
    });
    if (found != kept_.end()) {
        kept_.erase(found);
        return false;
    }
    kept_.insert(std::upper_bound(kept_.begin(), kept_.end(), reminder, byStart), reminder);
    return true;
}

std::vector<Reminder> Reminders::takeDue(qint64 now)
{
    const auto due = std::find_if(kept_.begin(), kept_.end(), [now](const Reminder& r) { return r.start - kAhead > now; });
    std::vector<Reminder> taken(kept_.begin(), due);
    kept_.erase(kept_.begin(), due);
    return taken;
}

qint64 Reminders::nextDue() const
{
    return kept_.empty() ? 0 : kept_.front().start - kAhead;
}
