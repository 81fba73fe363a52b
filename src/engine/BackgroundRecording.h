#pragma once

#include "LiveRecorder.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class LiveChannel;

// A channel recorded beside the one watched, over a connection of its own:
// a thread that reads it into a small time-shift buffer of its own with its
// recorder on, and connects again (after a few seconds) when the stream
// drops, each connection into a new file. Nothing of it touches the window's
// thread; it stops when it goes.
class BackgroundRecording {
public:
    struct Source {
        QString address;
        QString userAgent;
        QString referrer;
    };
    // The file for a connection made at `atSeconds` (since 1970 UTC).
    using FileFor = std::function<QString(qint64 atSeconds)>;

    BackgroundRecording(Source source, FileFor fileFor, std::chrono::milliseconds reconnectWait = std::chrono::seconds(3));
    ~BackgroundRecording();
    BackgroundRecording(const BackgroundRecording&) = delete;
    BackgroundRecording& operator=(const BackgroundRecording&) = delete;

    // The files written so far, and the bytes of all of them.
    QStringList files() const;
    std::int64_t bytes() const;
    // Why the last connection's recording stopped; None while one records.
    LiveRecorder::Stop lastStop() const;

private:
    void run(std::stop_token stop);
    bool recordOnce(const std::stop_token& stop);

    const Source source_;
    const FileFor fileFor_;
    const std::chrono::milliseconds reconnectWait_;
    mutable std::mutex lock_;
    std::condition_variable_any wake_;
    std::shared_ptr<LiveChannel> channel_; // the connection now
    bool streamEnded_ = false;             // the connection now ended
    QStringList files_;
    std::int64_t earlierBytes_ = 0; // of the files before the one now
    LiveRecorder::Stop lastStop_ = LiveRecorder::Stop::None;
    std::jthread thread_; // last: starts once the fields above exist
};
