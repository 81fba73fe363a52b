#include "CoreLog.h"

Q_LOGGING_CATEGORY(lcCatchup, "clipvane.catchup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLists, "clipvane.lists", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "clipvane.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcReminders, "clipvane.reminders", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTimeShift, "clipvane.timeshift", QtWarningMsg)
