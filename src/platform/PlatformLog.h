#pragma once

#include <QLoggingCategory>

// System-wide hot keys: "clipvane.hotkey".
Q_DECLARE_LOGGING_CATEGORY(lcHotKey)
// The desktop launcher: "clipvane.launcher".
Q_DECLARE_LOGGING_CATEGORY(lcLauncher)
// What the sound library under the audio output says: "clipvane.sound".
Q_DECLARE_LOGGING_CATEGORY(lcSound)
