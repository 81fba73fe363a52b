#include "BackgroundRecording.h"

#include "EngineLog.h"
#include "LiveChannel.h"
#include "StreamModule.h"

#include <QDateTime>
#include <QStringList>

namespace {

// Enough to find a packet's start in; the recorder writes the rest as it comes.
constexpr TimeShiftSpan::Bounds kSmallBuffer{10 * 1000, std::int64_t(16) << 20};

} // namespace

BackgroundRecording::BackgroundRecording(Source source, FileFor fileFor, std::chrono::milliseconds reconnectWait)
    : source_(std::move(source)), fileFor_(std::move(fileFor)), reconnectWait_(reconnectWait),
      thread_([this](std::stop_token stop) { run(stop); })
{
}

BackgroundRecording::~BackgroundRecording()
{
    thread_.request_stop();
    {
        const std::lock_guard lock(lock_);
        if (channel_)
            channel_->abort();
        wake_.notify_all();
    }
    thread_ = {};
}

QStringList BackgroundRecording::files() const
{
    const std::lock_guard lock(lock_);
    return files_;
}

std::int64_t BackgroundRecording::bytes() const
{
    const std::lock_guard lock(lock_);
    const std::int64_t now = channel_ ? channel_->buffer().state().recordedBytes : 0;
    return earlierBytes_ + now;
}

LiveRecorder::Stop BackgroundRecording::lastStop() const
{
    const std::lock_guard lock(lock_);
    return lastStop_;
}

void BackgroundRecording::run(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        if (!recordOnce(stop))
            return;
        std::unique_lock lock(lock_);
        wake_.wait_for(lock, stop, reconnectWait_, [] { return false; });
    }
}

// One connection, recorded into a file of its own until it drops or the
// recording stops. False when recording cannot go on (no module, no file).
bool BackgroundRecording::recordOnce(const std::stop_token& stop)
{
    std::unique_ptr<StreamReader> reader = makeHttpReader(source_.address, source_.userAgent, source_.referrer);
    QString error;
    std::unique_ptr<TimeShiftBuffer> buffer =
        reader ? TimeShiftBuffer::create(TimeShiftBuffer::defaultFolder(), kSmallBuffer, &error) : nullptr;
    if (!buffer) {
        qCWarning(lcEngine) << "a recording beside the channel watched cannot start:"
                            << (reader ? error : QStringLiteral("no stream module"));
        const std::lock_guard lock(lock_);
        lastStop_ = LiveRecorder::Stop::WriteFailed;
        return false;
    }
    {
        const std::lock_guard lock(lock_);
        streamEnded_ = false; // before the connection's thread can say otherwise
    }
    buffer->setEndedHandler([this](bool streamEnded) {
        if (!streamEnded)
            return;
        {
            const std::lock_guard lock(lock_);
            streamEnded_ = true;
        }
        wake_.notify_all();
    });
    const QString path = fileFor_(QDateTime::currentSecsSinceEpoch());
    if (!buffer->startRecording(path, &error)) {
        qCWarning(lcEngine) << "a recording beside the channel watched has no file:" << error;
        const std::lock_guard lock(lock_);
        lastStop_ = LiveRecorder::Stop::WriteFailed;
        return false;
    }
    auto channel = std::make_shared<LiveChannel>(source_.address, std::move(reader), std::move(buffer));
    {
        const std::lock_guard lock(lock_);
        if (stop.stop_requested()) {
            channel->abort();
            return false;
        }
        channel_ = channel;
        files_ << path;
        lastStop_ = LiveRecorder::Stop::None;
    }
    // Until the stream ends or drops (the channel's thread finishes the buffer and says so), or the recording stops.
    {
        std::unique_lock lock(lock_);
        wake_.wait(lock, stop, [this] { return streamEnded_; });
    }
    channel->abort();
    const TimeShiftBuffer::State state = channel->buffer().state();
    const std::lock_guard lock(lock_);
    earlierBytes_ += state.recordedBytes;
    lastStop_ = stop.stop_requested() ? LiveRecorder::Stop::ByRequest
                : state.recordingStop == LiveRecorder::Stop::None ? LiveRecorder::Stop::StreamEnded
                                                                   : state.recordingStop;
    channel_.reset();
    // A disk that ran short or a file that failed ends the recording; a stream that dropped is connected again.
    return lastStop_ == LiveRecorder::Stop::StreamEnded;
}
