#include "SourcesLog.h"

Q_LOGGING_CATEGORY(lcSources, "clipvane.sources", QtWarningMsg)
