#pragma once

struct HandlerContext;

// The settings window in the program: opened from the menus and Ctrl+,,
// filled from the settings file, saved into it with 确定 (the core takes up
// what it can at once), and a copy of everything exported to or brought in
// from a JSON file.
void ShowSettingsWindow(HandlerContext& context);
