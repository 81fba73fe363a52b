#pragma once

#include <QLoggingCategory>

// Catch-up: rules that cannot be used, placeholders not known.
Q_DECLARE_LOGGING_CATEGORY(lcCatchup)
// Lists by address: fetches, refreshes, settings that cannot be used.
Q_DECLARE_LOGGING_CATEGORY(lcLists)
// Settings: values in clipvane.conf that are not valid, copies that cannot be brought in.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
// Reminders: those missed while the program was not running, notifications that could not be shown.
Q_DECLARE_LOGGING_CATEGORY(lcReminders)
Q_DECLARE_LOGGING_CATEGORY(lcTimeShift)
