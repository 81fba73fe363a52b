#pragma once

#include "ProgramState.h"
#include "ProgramViews.h"

#include <memory>

class ChannelKeys;
class MediaPlayer;
class DesktopMediaControls;
class ReminderAlerts;
class GuideModule;
class KnownServers;
class ListCheckModule;
class ListHandoff;
class MainWindow;
class VideoArea;

// The program's life: the player (started beside the window's construction and
// ready before the window opens), the application core, the window with its
// event bindings, and the exit routine, which runs exactly once.
class Program {
public:
    // The program folder is the running executable's, unless given.
    explicit Program(const QString& programFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Opens the main window; its created handler runs before it shows.
    // A list given on the command line: opened at start in place of the one chosen last, and kept among the lists.
    void giveList(const QString& list) { state_.listGiven = list; }
    void open();
    // Runs the event loop until the main window is closed, then the exit routine.
    int run();
    void OnProgramExit();

    MainWindow& window() { return *window_; }
    ProgramState& state() { return state_; }
    AppCore& core() { return state_.core; }
    ProgramViews& views() { return views_; }
    DesktopMediaControls& desktopControls() { return *desktopControls_; }

private:
    void makeCore(std::unique_ptr<MediaPlayer> firstPlayer);
    void makeViews();
    // One function per flow; each says where a signal goes.
    void wirePlayback();
    void wireLists();
    void wireGuide();
    void wireSettings();
    void wireAfterFirstPaint();
    void openListFetcher();

    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
    ProgramViews views_;
    std::unique_ptr<ChannelKeys> keys_;
    std::unique_ptr<GuideModule> guideModule_;
    std::unique_ptr<ListCheckModule> checkModule_;
    bool painted_ = false;      // the window was painted once
    bool fetcherOwed_ = false;  // a list by address waits for the network module
    std::unique_ptr<ListHandoff> handoff_;
    std::unique_ptr<DesktopMediaControls> desktopControls_;
    std::unique_ptr<ReminderAlerts> reminderAlerts_; // from the first paint
    std::unique_ptr<KnownServers> knownServers_;
    bool exited_ = false;
};
