#include "ReminderAlerts.h"

#include "core/CoreLog.h"
#include "core/guide/Reminders.h"
#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "core/settings/UserSettings.h"
#include "ui/MainWindow.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/guide/ReminderTexts.h"

#include <QDateTime>

ReminderAlerts::ReminderAlerts(Parts parts, Clock clock)
    : parts_(parts), clock_(std::move(clock)),
      notifications_(QDBusConnection::sessionBus(), QStringLiteral("Clipvane"), this), due_(clock_)
{
    connect(&due_, &DueTimer::due, this, &ReminderAlerts::fire);
}

void ReminderAlerts::rearm()
{
    due_.wakeAt(parts_.reminders.nextDue());
}

void ReminderAlerts::fire()
{
    const std::vector<Reminder> due = parts_.reminders.takeDue(clock_());
    if (!due.empty() && parts_.settings)
        parts_.settings->setReminders(parts_.reminders.kept());
    for (const Reminder& reminder : due)
        tell(reminder);
    rearm();
}

void ReminderAlerts::tell(const Reminder& reminder)
{
    const QString at = QDateTime::fromSecsSinceEpoch(reminder.start).toString(QStringLiteral("HH:mm"));
    const int entry = parts_.channels.list().find(reminder.channel.name, reminder.channel.address);
    parts_.programmes.showBanner(entry, true);
    notifications_.show(
        texts::reminderDue(), texts::reminderLine(at, reminder.title, reminder.channel.name),
        {QStringLiteral("switch"), texts::reminderSwitch(), QStringLiteral("dismiss"), texts::reminderDismiss()},
        [this, reminder](const QString& action) {
            if (action == u"switch") {
                play(reminder);
                parts_.window.raise();
                parts_.window.activateWindow();
            }
        });
    if (parts_.settings && parts_.settings->remindersSwitch())
        play(reminder);
}

void ReminderAlerts::play(const Reminder& reminder)
{
    const int entry = parts_.channels.list().find(reminder.channel.name, reminder.channel.address);
    if (entry < 0) {
        qCWarning(lcReminders) << reminder.channel.name << "is not in the list shown: the reminder cannot switch to it";
        return;
    }
    if (entry != parts_.channels.lastPlayed())
        parts_.playback.playEntry(entry);
}
