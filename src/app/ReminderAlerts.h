#pragma once

#include "platform/DesktopNotifications.h"

#include <QObject>
#include <QTimer>

#include <functional>

struct AppCore;
struct HandlerContext;
struct Reminder;

// Tells of each reminder when it falls due, a minute before its programme:
// a desktop notification with "切换" and "忽略", and the window's banner for
// the channel (alone when the desktop has no notification service); with
// "到时自动切换" the channel plays by itself. Looks again whenever the
// reminders change, and at least once a minute (the clock may be set).
class ReminderAlerts final : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // seconds since 1970 UTC

    ReminderAlerts(AppCore& core, HandlerContext& context, Clock clock);

    // The reminders changed: the next is waited for.
    void rearm();

private:
    void fire();
    void tell(const Reminder& reminder);
    void play(const Reminder& reminder);

    AppCore& core_;
    HandlerContext& context_;
    Clock clock_;
    DesktopNotifications notifications_;
    QTimer due_;
};
