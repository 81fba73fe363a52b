#include "EngineLog.h"

Q_LOGGING_CATEGORY(lcEngine, "clipvane.engine", QtWarningMsg)
// libvlc reports every missing sound card and hardware decoder as an error;
// none of it is for the user's terminal unless asked for.
Q_LOGGING_CATEGORY(lcVlc, "clipvane.vlc", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcFfmpeg, "clipvane.ffmpeg", QtCriticalMsg)
