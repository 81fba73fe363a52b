#include "FfmpegLog.h"

#include "EngineLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <cstdio>

namespace {

void toCategory(void* context, int level, const char* format, va_list arguments)
{
    const QtMsgType type = level <= AV_LOG_WARNING ? QtWarningMsg : level <= AV_LOG_INFO ? QtInfoMsg : QtDebugMsg;
    if (!lcFfmpeg().isEnabled(type))
        return;
    char line[1024];
    int prefix = 1;
    av_log_format_line2(context, level, format, arguments, line, sizeof line, &prefix);
    QByteArray text(line);
    while (text.endsWith('\n'))
        text.chop(1);
    switch (type) {
    case QtWarningMsg:
        qCWarning(lcFfmpeg, "%s", text.constData());
        break;
    case QtInfoMsg:
        qCInfo(lcFfmpeg, "%s", text.constData());
        break;
    default:
        qCDebug(lcFfmpeg, "%s", text.constData());
        break;
    }
}

} // namespace

void routeFfmpegLogToCategory()
{
    av_log_set_callback(&toCategory);
}
