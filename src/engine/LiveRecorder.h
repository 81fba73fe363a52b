#pragma once

#include "TsStartPoint.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

// Writes a live stream to a file as its bytes come, without decoding them:
// an MPEG-TS stream from a picture a decoder can start from, its tables
// before it (TsStartPoint); a stream that is no MPEG-TS from its first bytes.
// With plain write() calls, so that a file cut short by a crash still plays
// up to its last whole packet.
// The file is made new (never over another one). Writing stops by itself
// when the disk runs short or a write fails; `stopped()` says why.
class LiveRecorder {
public:
    enum class Stop { None, ByRequest, DiskShort, WriteFailed, StreamEnded };
    // Free bytes left on the disk of `folder`; the real one asks statvfs().
    using FreeSpace = std::function<std::int64_t(const QString& folder)>;
    static constexpr std::int64_t kLeastFreeBytes = std::int64_t(256) << 20;

    // Opens `path` (its folder made when missing); isOpen() is false and
    // error() says why when it could not be.
    explicit LiveRecorder(const QString& path, FreeSpace freeSpace = {});
    ~LiveRecorder();
    LiveRecorder(const LiveRecorder&) = delete;
    LiveRecorder& operator=(const LiveRecorder&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    const QString& error() const { return error_; }
    const QString& path() const { return path_; }

    // More of the stream; nothing once stopped.
    void write(const unsigned char* bytes, std::size_t size);
    // Closes the file, saying why.
    void stop(Stop why);
    Stop stopped() const { return stopped_; }
    std::int64_t bytesWritten() const { return written_; }

    static std::int64_t freeBytesOn(const QString& folder);

private:
    void checkSpace();
    bool put(const unsigned char* bytes, std::size_t size);

    QString path_;
    QString folder_;
    FreeSpace freeSpace_;
    QString error_;
    int fd_ = -1;
    TsStartPoint start_;
    bool started_ = false; // the start point was found: from there on everything is written
    std::int64_t written_ = 0;
    std::int64_t sinceCheck_ = 0; // bytes written since the disk's space was looked at
    Stop stopped_ = Stop::None;
};
