#pragma once

#include "core/ProgramState.h"
#include "ui/HandlerContext.h"

#include <memory>

class ChannelKeys;
class DesktopMediaControls;
class GuideModule;
class ListCheckModule;
class SelectionRest;
class MainWindow;

// The program's life: the player (started beside the window's construction and
// ready before the window opens), the window with its event bindings, and the
// exit routine, which runs exactly once.
class Program {
public:
    // The program folder is the running executable's, unless given.
    explicit Program(const QString& programFolder = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Opens the main window; its created handler runs before it shows.
    void open();
    // Runs the event loop until the main window is closed, then the exit routine.
    int run();
    void OnProgramExit();

    MainWindow& window() { return *window_; }
    ProgramState& state() { return state_; }
    HandlerContext& handlers() { return *context_; }
    DesktopMediaControls& desktopControls() { return *desktopControls_; }

private:
    ProgramState state_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<HandlerContext> context_;
    std::unique_ptr<ChannelKeys> keys_;
    std::unique_ptr<SelectionRest> selectionRest_;
    std::unique_ptr<GuideModule> guideModule_;
    std::unique_ptr<ListCheckModule> checkModule_;
    std::unique_ptr<DesktopMediaControls> desktopControls_;
    bool exited_ = false;
};
