#include "CoreLog.h"

Q_LOGGING_CATEGORY(lcCatchup, "clipvane.catchup", QtWarningMsg)
