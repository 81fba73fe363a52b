#include "FfmpegLog.h"

#include "EngineLog.h"
#include "platform/SharedLibrary.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/version.h>
}

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// The functions of libavutil it needs, looked up by name: the program does not
// link FFmpeg (libvlc's decoders and the stream module loads it).
decltype(&av_log_format_line2) formatLine = nullptr;

void toCategory(void* context, int level, const char* format, va_list arguments)
{
    const QtMsgType type = level <= AV_LOG_WARNING ? QtWarningMsg : level <= AV_LOG_INFO ? QtInfoMsg : QtDebugMsg;
    if (!lcFfmpeg().isEnabled(type))
        return;
    char line[1024];
    int prefix = 1;
    formatLine(context, level, format, arguments, line, sizeof line, &prefix);
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
    static SharedLibrary avutil; // kept open: the callback is called for as long as the program runs
    static std::once_flag once;
    std::call_once(once, [] {
        if (!avutil.open(QStringLiteral("libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR)))) {
            qCInfo(lcEngine) << "FFmpeg's log stays its own:" << avutil.errorString();
            return;
        }
        const auto setCallback = reinterpret_cast<decltype(&av_log_set_callback)>(avutil.symbol("av_log_set_callback"));
        formatLine = reinterpret_cast<decltype(&av_log_format_line2)>(avutil.symbol("av_log_format_line2"));
        if (setCallback && formatLine)
            setCallback(&toCategory);
    });
}
