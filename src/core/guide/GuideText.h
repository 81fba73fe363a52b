#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QString>

// What the guide says of an entry in one line, in the desktop's time:
// "19:00–19:30 新闻联播 / 19:38 焦点访谈". Empty when it knows nothing.
QString nowNextLine(const ProgrammeNowNext& nowNext);
// A programme's times, "19:00–19:30".
QString programmeTimes(const Programme& programme);
// A programme watched back as the title names it: "CCTV-1  新闻联播  12月7日 19:00".
QString watchedBackName(const QString& channel, const Programme& programme);
