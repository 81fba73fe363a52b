#include "GuideLog.h"

Q_LOGGING_CATEGORY(lcGuide, "clipvane.guide", QtWarningMsg)
