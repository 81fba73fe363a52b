#include "ui/guide/ReminderView.h"

#include "core/guide/ProgrammeGuide.h"
#include "core/guide/Reminders.h"
#include "core/lists/ChannelNavigator.h"
#include "core/settings/UserSettings.h"

ReminderView::ReminderView(const ChannelNavigator& channels, Reminders& reminders, UserSettings* settings)
    : channels_(channels), reminders_(reminders), settings_(settings)
{
}

bool ReminderView::isReminded(int row, const Programme& programme) const
{
    const ChannelList& list = channels_.list();
    return list.contains(row) && reminders_.has(list.key(row), programme.start);
}

bool ReminderView::toggle(int row, const Programme& programme)
{
    const ChannelList& list = channels_.list();
    if (!list.contains(row) || list.isHeading(row))
        return false;
    const bool set = reminders_.toggle({list.key(row), programme.start, programme.title});
    if (settings_)
        settings_->setReminders(reminders_.kept());
    emit changed();
    return set;
}
