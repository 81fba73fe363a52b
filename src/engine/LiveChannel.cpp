#include "LiveChannel.h"

#include "EngineLog.h"
#include "StreamModule.h"

#include <array>
#include <chrono>
#include <vector>

namespace {

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

LiveChannel::LiveChannel(QString address, std::unique_ptr<StreamReader> reader, std::unique_ptr<TimeShiftBuffer> buffer)
    : address_(std::move(address)), reader_(std::move(reader)), buffer_(std::move(buffer)),
      thread_([this] { run(); })
{
}

LiveChannel::~LiveChannel()
{
    abort();
    thread_ = {}; // joined before the reader and the buffer go
}

void LiveChannel::abort()
{
    aborted_ = true;
    reader_->abort();
    buffer_->abort();
    const std::lock_guard lock(lock_);
    changed_.notify_all();
}

void LiveChannel::answered(Answer answer)
{
    const std::lock_guard lock(lock_);
    if (answer_ == Answer::Waiting)
        answer_ = answer;
    changed_.notify_all();
}

LiveChannel::Answer LiveChannel::waitForAnswer()
{
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return answer_ != Answer::Waiting || aborted_; });
    return answer_;
}

LiveChannel::Answer LiveChannel::answer() const
{
    const std::lock_guard lock(lock_);
    return answer_;
}

QString LiveChannel::error() const
{
    return reader_->error();
}

void LiveChannel::run()
{
    std::vector<unsigned char> chunk(std::size_t(64) << 10);
    while (!aborted_) {
        const std::ptrdiff_t got = reader_->read(chunk.data(), chunk.size());
        if (got > 0) {
            answered(Answer::Live);
            if (!buffer_->append(chunk.data(), std::size_t(got), steadyMs()))
                break;
            continue;
        }
        if (reader_->isForTheEngine()) {
            leaveToEngine(address_);
            answered(Answer::ForTheEngine);
        } else {
            if (got < 0 && !aborted_)
                qCInfo(lcEngine) << "a live stream dropped:" << reader_->error();
            answered(Answer::Failed);
        }
        break;
    }
    buffer_->finish();
}

LiveCursor::LiveCursor(std::shared_ptr<LiveChannel> channel, std::int64_t firstByte)
    : channel_(std::move(channel)), firstByte_(firstByte), position_(firstByte)
{
}

std::ptrdiff_t LiveCursor::read(unsigned char* buffer, std::size_t size)
{
    return channel_->buffer().read(position_, buffer, size, &aborted_);
}

void LiveCursor::abort()
{
    aborted_ = true;
    channel_->buffer().wakeReaders();
}

void LiveCursor::seek(std::uint64_t offset)
{
    position_ = firstByte_ + std::int64_t(offset);
}

bool LiveCursor::waitForLive()
{
    return channel_->waitForAnswer() == LiveChannel::Answer::Live;
}
