#pragma once

#include "StreamReader.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// Reads an rtsp:// (or rtsps://) address with FFmpeg's libavformat and hands
// its packets on, copied and remuxed into MPEG-TS in memory, to whoever reads
// (libvlc, through a media of callbacks). Debian's libvlc has no RTSP client
// of its own.
//
// It connects over TCP (nothing lost, no smeared pictures) and falls back to
// UDP when the server refuses TCP; a user name and password in the address
// are passed on. Connecting and reading give up after a timeout. Audio that
// MPEG-TS can't carry (G.711 from cameras, raw PCM) is left out; the video is
// kept. The reading runs on a thread of its own from construction on; abort()
// makes every wait, its own and read()'s, return at once.
class RtspReader final : public StreamReader {
public:
    struct Settings {
        std::chrono::microseconds timeout{std::chrono::seconds(5)};
        std::size_t bufferLimit = 16 * 1024 * 1024; // bytes waiting for the reader, at most
    };

    explicit RtspReader(const QString& address);
    RtspReader(const QString& address, Settings settings);
    ~RtspReader() override;
    RtspReader(const RtspReader&) = delete;
    RtspReader& operator=(const RtspReader&) = delete;

    // Up to size bytes of MPEG-TS: blocks until some are there; 0 at the end,
    // -1 after a failure or once aborted.
    std::ptrdiff_t read(unsigned char* buffer, std::size_t size) override;
    void abort() override;
    // Why reading failed, when it did.
    QString error() const override;

private:
    void run();
    bool connectAndRead(bool overTcp, bool& refusedTcp);
    // From the muxer, on the reading thread.
    bool deliver(const std::uint8_t* bytes, int size);
    void finish(const QString& error);
    static int onWrite(void* self, std::uint8_t* bytes, int size);
    static int onInterrupt(void* self);

    const QByteArray address_;
    const Settings settings_;
    std::atomic<bool> aborted_{false};
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<QByteArray> pending_;
    std::size_t pendingBytes_ = 0;
    std::size_t frontOffset_ = 0; // bytes of pending_.front() already read
    bool ended_ = false;
    bool failed_ = false;
    QString error_;
    std::jthread thread_; // last: starts once the fields above exist
};
