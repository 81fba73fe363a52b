#include "PlatformLog.h"

Q_LOGGING_CATEGORY(lcHotKey, "clipvane.hotkey", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLauncher, "clipvane.launcher", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDesktop, "clipvane.desktop", QtWarningMsg)
// Quiet unless asked for, as libvlc's own messages are: a machine without a
// sound card has an error to report at every open.
Q_LOGGING_CATEGORY(lcSound, "clipvane.sound", QtCriticalMsg)
