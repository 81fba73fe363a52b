#pragma once

#include "LiveRecorder.h"
#include "TimeShiftSpan.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// A live channel's stream kept on disk as it comes: one file in the cache
// folder used as a ring, as large as the size bound at most, holding what
// TimeShiftSpan keeps. The disk under what the span lets go is handed back
// as it goes (a hole punched in the file), so the disk used follows the
// smaller of the two bounds, not the size bound alone. Any number of readers read it at their own position
// (libvlc, through a media of callbacks), and a recording copies the bytes as
// they come. One thread appends; readers wait for more until the stream ends
// or abort() is called. The file is removed when the buffer goes; one a
// crash left behind is removed by removeLeftOvers() at the next start.
class TimeShiftBuffer {
public:
    // Disk is handed back in steps of this at least: the file holds the span
    // plus less than one step.
    static constexpr std::int64_t kGiveBackStep = 1 << 20;

    // Where it stands, read without waiting.
    struct State {
        std::int64_t heldMs = 0;    // how far back it reaches
        std::int64_t oldestByte = 0;
        std::int64_t liveByte = 0;
        bool ended = false;
        bool recording = false;
        std::int64_t recordedBytes = 0;
        LiveRecorder::Stop recordingStop = LiveRecorder::Stop::None; // why the last recording ended
        QString recordingPath;
    };

    // A new buffer file in `folder`; null (and `error` says why) when it cannot be made.
    static std::unique_ptr<TimeShiftBuffer> create(const QString& folder, TimeShiftSpan::Bounds bounds,
                                                   QString* error = nullptr);
    // ~/.cache/clipvane
    static QString defaultFolder();
    // Removes the buffers of programs that are no longer running.
    static void removeLeftOvers(const QString& folder);

    ~TimeShiftBuffer();
    TimeShiftBuffer(const TimeShiftBuffer&) = delete;
    TimeShiftBuffer& operator=(const TimeShiftBuffer&) = delete;

    // The writer: `size` bytes came at `atMs` (a steady clock's milliseconds).
    // False when the disk refused them (the buffer has ended then).
    bool append(const unsigned char* bytes, std::size_t size, std::int64_t atMs);
    // Nothing more comes; readers get what is left, then the end.
    void finish();
    // Every wait returns; readers get -1 from now on.
    void abort();

    // Up to `size` bytes from `position`, which moves on; a position the oldest
    // end has passed moves up to it first. Waits for bytes not there yet: 0 at
    // the end, -1 once aborted or once `stop` is set (and wakeReaders() called).
    std::ptrdiff_t read(std::int64_t& position, unsigned char* buffer, std::size_t size,
                        const std::atomic<bool>* stop = nullptr);
    void wakeReaders();

    std::int64_t byteBehind(std::int64_t behindMs) const;
    State state() const;

    // Records what comes from now on into a new file at `path`; false (and
    // `error`) when it cannot be made.
    bool startRecording(const QString& path, QString* error = nullptr,
                        LiveRecorder::FreeSpace freeSpace = {});
    void stopRecording();
    // Told when the stream ended (`streamEnded`) or the recording stopped by
    // itself (its disk, its file), on the writing thread with no lock held:
    // copy and hand on. Set before anything is written.
    void setEndedHandler(std::function<void(bool streamEnded)> handler) { endedHandler_ = std::move(handler); }
    // Nothing came for a while: what is older than the time bound is let go all the same.
    void trimAt(std::int64_t nowMs);

private:
    TimeShiftBuffer(QString path, int fd, TimeShiftSpan::Bounds bounds);
    bool writeRing(const unsigned char* bytes, std::size_t size, std::int64_t at);
    void giveBackLetGo(); // under the lock
    void endRecording(LiveRecorder::Stop why); // under the lock

    const QString path_;
    const int fd_;
    const std::int64_t capacity_;
    mutable std::mutex lock_;
    std::condition_variable grew_;
    TimeShiftSpan span_;
    std::int64_t givenBack_ = 0; // the disk under bytes before this one is handed back
    bool canGiveBack_ = true;    // false on a file system that cannot punch holes
    bool ended_ = false;
    bool aborted_ = false;
    std::unique_ptr<LiveRecorder> recorder_;
    LiveRecorder::Stop lastStop_ = LiveRecorder::Stop::None;
    QString recordingPath_;      // of the recording under way, or of the last one
    std::int64_t recordedBytes_ = 0; // of the last one
    std::function<void(bool streamEnded)> endedHandler_;
};
