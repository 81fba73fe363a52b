#pragma once

#include <QObject>

class ListLibrary;
class MainWindow;
class SettingsWindow;
class UserSettings;

// The settings window in the program: opened from the menus and Ctrl+,,
// filled from the settings file, saved into it with 确定, and a copy of
// everything exported to or brought in from a JSON file.
class SettingsView final : public QObject {
    Q_OBJECT
public:
    SettingsView(MainWindow& window, UserSettings& settings, ListLibrary& lists);

    void show();

signals:
    // The settings file changed (saved, or a copy brought in): the core and
    // the window take up what they can now.
    void changed();

private:
    void importCopy(SettingsWindow& window);

    MainWindow& window_;
    UserSettings& settings_;
    ListLibrary& lists_;
};
