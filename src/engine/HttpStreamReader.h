#pragma once

#include "StreamReader.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>

struct AVIOContext;

// Reads a live stream's bytes from an http(s) address as they come, over one
// connection, with FFmpeg's I/O (in the stream module, beside the RTSP
// reader). It connects at the first read, on the reader's thread. An answer
// that is no live stream (a length, a playlist or a page by its type) is left
// to the engine: isForTheEngine() says so. A refusal, an error status or no
// answer is an error of the address, as libvlc's would be.
class HttpStreamReader final : public StreamReader {
public:
    HttpStreamReader(const QString& address, const QString& userAgent, const QString& referrer);
    ~HttpStreamReader() override;
    HttpStreamReader(const HttpStreamReader&) = delete;
    HttpStreamReader& operator=(const HttpStreamReader&) = delete;

    std::ptrdiff_t read(unsigned char* buffer, std::size_t size) override;
    void abort() override { aborted_ = true; }
    QString error() const override;
    bool isForTheEngine() const override { return forTheEngine_; }

private:
    void connect();
    static int onInterrupt(void* self);

    const QByteArray address_;
    const QByteArray userAgent_;
    const QByteArray referrer_;
    std::atomic<bool> aborted_{false};
    std::atomic<bool> forTheEngine_{false};
    AVIOContext* io_ = nullptr; // the reader's thread alone
    bool connected_ = false;
    mutable std::mutex errorLock_;
    QString error_;
};
