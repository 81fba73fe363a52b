#pragma once

#include "core/schedule/DueTimer.h"
#include "platform/DesktopNotifications.h"

#include <QObject>

#include <functional>

class ChannelNavigator;
class MainWindow;
class PlaybackController;
class ProgrammeView;
class Reminders;
class UserSettings;
struct Reminder;

// Tells of each reminder when it falls due, a minute before its programme:
// a desktop notification with "切换" and "忽略", and the window's banner for
// the channel (alone when the desktop has no notification service); with
// "到时自动切换" the channel plays by itself. Waits again whenever the
// reminders change.
class ReminderAlerts final : public QObject {
    Q_OBJECT
public:
    using Clock = DueTimer::WallClock;

    struct Parts {
        Reminders& reminders;
        const ChannelNavigator& channels;
        PlaybackController& playback;
        UserSettings* settings = nullptr;
        ProgrammeView& programmes; // the banner
        MainWindow& window;
    };
    ReminderAlerts(Parts parts, Clock clock);

    // The reminders changed: the next is waited for.
    void rearm();

private:
    void fire();
    void tell(const Reminder& reminder);
    void play(const Reminder& reminder);

    Parts parts_;
    Clock clock_;
    DesktopNotifications notifications_;
    DueTimer due_; // the next reminder's time
};
