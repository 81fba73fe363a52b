#include "ReminderAlerts.h"

#include "core/AppCore.h"
#include "core/CoreLog.h"
#include "ui/GuideHandlers.h"
#include "ui/HandlerContext.h"
#include "ui/MainWindow.h"

#include <QDateTime>

ReminderAlerts::ReminderAlerts(AppCore& core, HandlerContext& context, Clock clock)
    : core_(core), context_(context), clock_(std::move(clock)),
      notifications_(QDBusConnection::sessionBus(), QStringLiteral("Clipvane"), this)
{
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, &ReminderAlerts::fire);
}

void ReminderAlerts::rearm()
{
    const qint64 next = core_.reminders.nextDue();
    if (next == 0) {
        due_.stop();
        return;
    }
    const qint64 wait = std::clamp<qint64>(next - clock_(), 0, 60) * 1000;
    due_.start(int(wait));
}

void ReminderAlerts::fire()
{
    const std::vector<Reminder> due = core_.reminders.takeDue(clock_());
    if (!due.empty() && core_.settings)
        core_.settings->setReminders(core_.reminders.kept());
    for (const Reminder& reminder : due)
        tell(reminder);
    rearm();
}

void ReminderAlerts::tell(const Reminder& reminder)
{
    const QString at = QDateTime::fromSecsSinceEpoch(reminder.start).toString(QStringLiteral("HH:mm"));
    const int entry = core_.channels.list().find(reminder.channel.name, reminder.channel.address);
    ShowProgrammeBanner(context_, entry, true);
    notifications_.show(
        QStringLiteral("预约的节目就要开始"),
        QStringLiteral("%1 %2  %3").arg(at, reminder.title, reminder.channel.name),
        {QStringLiteral("switch"), QStringLiteral("切换"), QStringLiteral("dismiss"), QStringLiteral("忽略")},
        [this, reminder](const QString& action) {
            if (action == u"switch") {
                play(reminder);
                context_.window.raise();
                context_.window.activateWindow();
            }
        });
    if (core_.settings && core_.settings->remindersSwitch())
        play(reminder);
}

void ReminderAlerts::play(const Reminder& reminder)
{
    const int entry = core_.channels.list().find(reminder.channel.name, reminder.channel.address);
    if (entry < 0) {
        qCWarning(lcReminders) << reminder.channel.name << "is not in the list shown: the reminder cannot switch to it";
        return;
    }
    if (entry != core_.channels.lastPlayed())
        core_.playback->playEntry(entry);
}
