#pragma once

#include "StreamReader.h"
#include "TimeShiftBuffer.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// A live channel the program reads itself over one connection: the
// connection's thread puts what comes into a time-shift buffer on disk, and
// the engine reads it there through cursors, each at its own position. So
// holding the picture, going back in it and recording it never open a
// second connection. The connection closes when the channel goes.
class LiveChannel {
public:
    enum class Answer { Waiting, Live, ForTheEngine, Failed };

    // Starts reading `reader` into `buffer` at once, on a thread of its own.
    LiveChannel(QString address, std::unique_ptr<StreamReader> reader, std::unique_ptr<TimeShiftBuffer> buffer);
    ~LiveChannel();
    LiveChannel(const LiveChannel&) = delete;
    LiveChannel& operator=(const LiveChannel&) = delete;

    // Waits until the server's answer says whether this is a live stream (or abort()).
    Answer waitForAnswer();
    Answer answer() const;
    // The connection closes; the buffer's readers return.
    void abort();
    QString error() const;
    const QString& address() const { return address_; }
    TimeShiftBuffer& buffer() { return *buffer_; }
    const TimeShiftBuffer& buffer() const { return *buffer_; }

private:
    void run();
    void answered(Answer answer);

    const QString address_;
    const std::unique_ptr<StreamReader> reader_;
    const std::unique_ptr<TimeShiftBuffer> buffer_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    Answer answer_ = Answer::Waiting;
    std::atomic<bool> aborted_{false};
    std::jthread thread_; // last: starts once the fields above exist
};

// One reader of a live channel's buffer, as the engine reads it: from a
// position on, moved by seek() within what is held.
class LiveCursor final : public StreamReader {
public:
    LiveCursor(std::shared_ptr<LiveChannel> channel, std::int64_t firstByte);
    std::ptrdiff_t read(unsigned char* buffer, std::size_t size) override;
    void abort() override;
    QString error() const override { return channel_->error(); }
    bool isForTheEngine() const override { return channel_->answer() == LiveChannel::Answer::ForTheEngine; }
    // To `offset` bytes from where this cursor started.
    void seek(std::uint64_t offset);
    // Waits for the server's answer: false when it is no live stream.
    bool waitForLive();

private:
    const std::shared_ptr<LiveChannel> channel_;
    const std::int64_t firstByte_;
    std::int64_t position_; // the engine's reading thread alone
    std::atomic<bool> aborted_{false};
};
