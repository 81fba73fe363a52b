#pragma once

#include <QObject>

class ChannelNavigator;
class Reminders;
class UserSettings;
struct Programme;

// Reminders as the grid and the schedule set them: by the channel of list
// entry `row` (its name and address) and the programme's start. Kept in the
// settings file at once.
class ReminderView final : public QObject {
    Q_OBJECT
public:
    ReminderView(const ChannelNavigator& channels, Reminders& reminders, UserSettings* settings);

    bool isReminded(int row, const Programme& programme) const;
    // Sets the reminder, or clears it; true when it is set now.
    bool toggle(int row, const Programme& programme);

signals:
    // A reminder was set or cleared: the next in time is waited for.
    void changed();

private:
    const ChannelNavigator& channels_;
    Reminders& reminders_;
    UserSettings* settings_;
};
