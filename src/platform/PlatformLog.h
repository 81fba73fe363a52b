#pragma once

#include <QLoggingCategory>

// System-wide hot keys: "clipvane.hotkey".
Q_DECLARE_LOGGING_CATEGORY(lcHotKey)
// The desktop launcher: "clipvane.launcher".
Q_DECLARE_LOGGING_CATEGORY(lcLauncher)
// What the sound library under the audio output says: "clipvane.sound".
Q_DECLARE_LOGGING_CATEGORY(lcSound)
// The desktop's media controls and screen saver, over D-Bus: "clipvane.desktop".
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
