#pragma once

#include "ui/EventBinding.h"

#include <vector>

struct HandlerContext;
struct ProgramState;

// Where the window's controls meet the program's handlers.
std::vector<EventBinding> mainWindowBindings(HandlerContext& context, ProgramState& state);
