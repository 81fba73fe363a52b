#pragma once

#include "platform/TimeSource.h"

#include <QObject>

#include <chrono>
#include <memory>

class ChannelNavigator;
class PlaybackController;
class UserSettings;

// Which channel is opened ahead besides the next one after a choice (the
// controller's): the entry the selection rests on (Up/Down, a single click),
// the channel the digits typed so far name, the filter's first match once
// the typing pauses, and at start the channel watched last, once the window
// shows and the list is there (or, with "start=last", it plays). Each waits
// on the clock it is given, so the tests move it.
class PreopenScheduler final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kRest{400};
    // The channel opened ahead at start, with nobody watching, costs its
    // connection and its decoding: let go when nothing was chosen for this long.
    static constexpr std::chrono::milliseconds kStartKept{60000};

    PreopenScheduler(PlaybackController& controller, ChannelNavigator& channels, UserSettings* settings,
                     TimeSource& time = TimeSource::system(), QObject* parent = nullptr);
    ~PreopenScheduler() override;

    // The selection moved to `selected`: opened ahead once it rests there.
    void selectionMoved(int selected);
    // The filter's first match changed: opened ahead once it stays the same for a moment.
    void filterMatched(int firstShown);
    // Digits typed so far name this entry: opened ahead at once.
    void digitsTyped(int entry);
    // The list read at start is shown, `selected` the channel watched last (or -1).
    void startListShown(int selected);
    // The window's first picture is on the screen, `selected` the selection then.
    void windowPainted(int selected);

private:
    void rested();
    void atStart(int selected);

    PlaybackController& controller_;
    ChannelNavigator& channels_;
    UserSettings* settings_;
    std::unique_ptr<TimeSource::Timer> rest_;
    std::unique_ptr<TimeSource::Timer> startKept_;
    int resting_ = -1;
    bool painted_ = false;
    bool chosen_ = false; // something was chosen since the start
};
