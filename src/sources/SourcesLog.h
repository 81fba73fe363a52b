#pragma once

#include <QLoggingCategory>

// Reading and cutting play-source lists: "clipvane.sources".
Q_DECLARE_LOGGING_CATEGORY(lcSources)
