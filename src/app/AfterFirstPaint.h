#pragma once

#include <functional>

class QWidget;

// Calls `then` once `window` has been painted for the first time, after that
// paint has gone to the screen: for what the first picture does not need.
void afterFirstPaint(QWidget& window, std::function<void()> then);
