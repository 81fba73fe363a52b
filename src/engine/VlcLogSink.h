#pragma once

#include <QString>
#include <QStringList>

#include <cstdarg>
#include <mutex>

#include <vlc/vlc.h>

// Takes a libvlc instance's log for as long as it lives: every message goes to
// the "clipvane.vlc" logging category at its own level (quiet unless asked
// for), instead of libvlc's own printing to the terminal. The last error of
// the objects that read the source (access, stream, demux, input) is kept, so
// that a failure can say why, and so are the demultiplexers libvlc chose for
// the source, which no call of libvlc tells.
class VlcLogSink {
public:
    explicit VlcLogSink(libvlc_instance_t* instance);
    ~VlcLogSink();
    VlcLogSink(const VlcLogSink&) = delete;
    VlcLogSink& operator=(const VlcLogSink&) = delete;

    QString lastError() const;
    // The demultiplexers' module names, in the order libvlc chose them.
    QStringList demuxers() const;
    // A new source opens: what was kept of the one before goes.
    void forgetSource();

private:
    static void receive(void* self, int level, const libvlc_log_t* context, const char* format, va_list arguments);

    libvlc_instance_t* instance_;
    mutable std::mutex lock_;
    QString lastError_;
    QStringList demuxers_;
};
