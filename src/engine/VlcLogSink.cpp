#include "VlcLogSink.h"

#include "EngineLog.h"
#include "platform/LibVlc.h"

#include <cstdio>
#include <cstring>

namespace {

// Errors of the objects that read a source, not of the sound or picture outputs:
// a machine without a sound card reports those at every open.
bool isAboutTheSource(const char* objectType)
{
    if (!objectType)
        return false;
    for (const char* reader : {"access", "stream", "demux", "input"})
        if (std::strncmp(objectType, reader, std::strlen(reader)) == 0)
            return true;
    return false;
}

} // namespace

VlcLogSink::VlcLogSink(libvlc_instance_t* instance) : instance_(instance)
{
    if (instance_)
        LIBVLC(libvlc_log_set)(instance_, &VlcLogSink::receive, this);
}

// libvlc waits for a message being delivered before it lets go of the callback.
VlcLogSink::~VlcLogSink()
{
    if (instance_)
        LIBVLC(libvlc_log_unset)(instance_);
}

QString VlcLogSink::lastError() const
{
    const std::lock_guard guard(lock_);
    return lastError_;
}

QStringList VlcLogSink::demuxers() const
{
    const std::lock_guard guard(lock_);
    return demuxers_;
}

void VlcLogSink::forgetSource()
{
    const std::lock_guard guard(lock_);
    lastError_.clear();
    demuxers_.clear();
}

// On any of libvlc's threads.
void VlcLogSink::receive(void* self, int level, const libvlc_log_t* context, const char* format, va_list arguments)
{
    auto* sink = static_cast<VlcLogSink*>(self);
    const char* objectType = nullptr;
    const char* header = nullptr;
    uintptr_t id = 0;
    LIBVLC(libvlc_log_get_object)(context, &objectType, &header, &id);
    const bool error = level >= LIBVLC_ERROR && isAboutTheSource(objectType);
    // libvlc says which module it loaded for each capability in a debug message.
    if (objectType && std::strcmp(objectType, "demux") == 0 && std::strncmp(format, "using %s module", 15) == 0) {
        va_list copy;
        va_copy(copy, arguments);
        char text[256];
        std::vsnprintf(text, sizeof text, format, copy);
        va_end(copy);
        static constexpr char kDemux[] = "using demux module \"";
        if (std::strncmp(text, kDemux, sizeof kDemux - 1) == 0) {
            QString name = QString::fromUtf8(text + sizeof kDemux - 1);
            name.chop(1); // the closing quote
            const std::lock_guard guard(sink->lock_);
            if (sink->demuxers_.size() < 4)
                sink->demuxers_.append(name);
        }
    }
    const QtMsgType type = level >= LIBVLC_WARNING ? QtWarningMsg
                           : level == LIBVLC_NOTICE          ? QtInfoMsg
                                                             : QtDebugMsg;
    if (!error && !lcVlc().isEnabled(type))
        return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    const char* module = nullptr;
    const char* file = nullptr;
    unsigned line = 0;
    LIBVLC(libvlc_log_get_context)(context, &module, &file, &line);
    const QString message = QString::fromUtf8(text);
    if (error) {
        const std::lock_guard guard(sink->lock_);
        sink->lastError_ = message;
    }
    if (!lcVlc().isEnabled(type))
        return;
    const char* name = module ? module : "vlc";
    switch (type) {
    case QtWarningMsg:
        qCWarning(lcVlc, "%s: %s", name, qUtf8Printable(message));
        break;
    case QtInfoMsg:
        qCInfo(lcVlc, "%s: %s", name, qUtf8Printable(message));
        break;
    default:
        qCDebug(lcVlc, "%s: %s", name, qUtf8Printable(message));
        break;
    }
}
