#pragma once

#include <QString>

// Shows an error box with no owner window (caption "错误", error icon) and ends
// the process at once with exit code -1, running no exit routine. From a thread
// other than the window's, the box is shown on the window's thread.
[[noreturn]] void showFatalErrorAndExit(const QString& text);
// libvlc made no instance (its plugins not found, say): the guide can still
// be used, nothing can be played. Said once the window shows.
void sayPlayerIsMissing();
class QWidget;
// The last run ended by a crash and left `report`: said once, without holding
// the window up.
void tellLastRunEndedBadly(QWidget& window, const QString& report);
