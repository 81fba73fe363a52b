#pragma once

#include <QLoggingCategory>

// The playback session's decisions: "clipvane.engine".
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
// libvlc's own messages, by their level: "clipvane.vlc".
Q_DECLARE_LOGGING_CATEGORY(lcVlc)
// FFmpeg's messages, ours and libvlc's decoders': "clipvane.ffmpeg".
Q_DECLARE_LOGGING_CATEGORY(lcFfmpeg)
