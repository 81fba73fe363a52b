#include "ReminderHandlers.h"

#include "HandlerContext.h"
#include "core/AppCore.h"

bool IsReminded(HandlerContext& context, int row, const Programme& programme)
{
    const ChannelList& list = context.core.channels.list();
    return list.contains(row) && context.core.reminders.has(list.key(row), programme.start);
}

bool ToggleReminder(HandlerContext& context, int row, const Programme& programme)
{
    AppCore& core = context.core;
    const ChannelList& list = core.channels.list();
    if (!list.contains(row) || list.isHeading(row))
        return false;
    const bool set = core.reminders.toggle({list.key(row), programme.start, programme.title});
    if (core.settings)
        core.settings->setReminders(core.reminders.kept());
    if (context.remindersChanged)
        context.remindersChanged();
    return set;
}
