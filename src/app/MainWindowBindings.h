#pragma once

#include "ui/EventBinding.h"

#include <vector>

class MainWindow;
class PlaybackController;
struct ProgramState;
struct ProgramViews;

// Where the window's controls meet the views and the controller.
std::vector<EventBinding> mainWindowBindings(MainWindow& window, ProgramViews& views, PlaybackController& playback,
                                             ProgramState& state);
