#include "TimeShiftBuffer.h"

#include "EngineLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/falloc.h>
#include <unistd.h>

namespace {

constexpr char kPrefix[] = "timeshift-";

// "timeshift-<pid>-<n>.ts": the pid says whether its program still runs.
QString fileNameFor(int serial)
{
    return QStringLiteral("%1%2-%3.ts").arg(QLatin1String(kPrefix)).arg(::getpid()).arg(serial);
}

bool isRunning(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

QString TimeShiftBuffer::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/clipvane");
}

void TimeShiftBuffer::removeLeftOvers(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QLatin1String(kPrefix) + u'*'}, QDir::Files);
    for (const QString& name : names) {
        const QStringList parts = name.mid(int(std::strlen(kPrefix))).split(u'-');
        bool isNumber = false;
        const pid_t pid = pid_t(parts.value(0).toLongLong(&isNumber));
        if (isNumber && pid != ::getpid() && !isRunning(pid)) {
            qCInfo(lcEngine) << "removing a time-shift buffer left behind:" << name;
            QFile::remove(dir.filePath(name));
        }
    }
}

std::unique_ptr<TimeShiftBuffer> TimeShiftBuffer::create(const QString& folder, TimeShiftSpan::Bounds bounds,
                                                         QString* error)
{
    static std::atomic<int> serial{0};
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot make %1").arg(folder);
        return nullptr;
    }
    const QString path = QDir(folder).filePath(fileNameFor(++serial));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<TimeShiftBuffer>(new TimeShiftBuffer(path, fd, bounds));
}

TimeShiftBuffer::TimeShiftBuffer(QString path, int fd, TimeShiftSpan::Bounds bounds)
    : path_(std::move(path)), fd_(fd), capacity_(std::max<std::int64_t>(bounds.largestBytes, 1)), span_(bounds)
{
}

TimeShiftBuffer::~TimeShiftBuffer()
{
    abort();
    recorder_.reset();
    ::close(fd_);
    QFile::remove(path_);
}

bool TimeShiftBuffer::writeRing(const unsigned char* bytes, std::size_t size, std::int64_t at)
{
    while (size > 0) {
        const std::int64_t offset = at % capacity_;
        const std::size_t piece = std::size_t(std::min<std::int64_t>(std::int64_t(size), capacity_ - offset));
        const ssize_t done = ::pwrite(fd_, bytes, piece, off_t(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= std::size_t(done);
        at += done;
    }
    return true;
}

// Positions from max(givenBack_, newest - capacity) up to the oldest held
// lie in ring slots that hold nothing newer: their disk can go. A file system
// that cannot punch holes (EOPNOTSUPP) keeps the file at the size bound, as
// the log says once.
void TimeShiftBuffer::giveBackLetGo()
{
    const std::int64_t oldest = span_.oldestByte();
    if (!canGiveBack_ || oldest - givenBack_ < kGiveBackStep)
        return;
    std::int64_t from = std::max(givenBack_, span_.newestByte() - capacity_);
    while (from < oldest) {
        const std::int64_t offset = from % capacity_;
        const std::int64_t length = std::min(oldest - from, capacity_ - offset);
        if (::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(offset), off_t(length)) != 0) {
            if (errno == EINTR)
                continue;
            qCInfo(lcEngine) << "the time-shift file's disk cannot be handed back here (" << std::strerror(errno)
                             << "): it stays at the size bound";
            canGiveBack_ = false;
            return;
        }
        from += length;
    }
    givenBack_ = oldest;
}

// Reads and writes of the file are made under the lock: they go to the page
// cache and take microseconds, and a reader is never handed bytes being
// written over.
bool TimeShiftBuffer::append(const unsigned char* bytes, std::size_t size, std::int64_t atMs)
{
    if (size == 0)
        return true;
    std::unique_lock lock(lock_);
    if (ended_ || aborted_)
        return false;
    if (size > std::size_t(capacity_)) { // more than the whole ring at once: its newest part
        bytes += size - std::size_t(capacity_);
        size = std::size_t(capacity_);
    }
    const std::int64_t at = span_.newestByte();
    if (!writeRing(bytes, size, at)) {
        qCWarning(lcEngine) << "the time-shift buffer could not be written:" << std::strerror(errno);
        ended_ = true;
        grew_.notify_all();
        lock.unlock();
        if (endedHandler_)
            endedHandler_(true);
        return false;
    }
    span_.arrived(std::int64_t(size), atMs);
    giveBackLetGo();
    bool recordingStopped = false;
    if (recorder_) {
        recorder_->write(bytes, size);
        if (recorder_->stopped() != LiveRecorder::Stop::None) {
            endRecording(recorder_->stopped());
            recordingStopped = true;
        }
    }
    grew_.notify_all();
    lock.unlock();
    if (recordingStopped && endedHandler_)
        endedHandler_(false);
    return true;
}

void TimeShiftBuffer::finish()
{
    {
        const std::lock_guard lock(lock_);
        ended_ = true;
        if (recorder_)
            endRecording(LiveRecorder::Stop::StreamEnded);
        grew_.notify_all();
    }
    if (endedHandler_)
        endedHandler_(true);
}

void TimeShiftBuffer::abort()
{
    const std::lock_guard lock(lock_);
    aborted_ = true;
    grew_.notify_all();
}

std::ptrdiff_t TimeShiftBuffer::read(std::int64_t& position, unsigned char* buffer, std::size_t size,
                                     const std::atomic<bool>* stop)
{
    std::unique_lock lock(lock_);
    const auto stopped = [&] { return aborted_ || (stop && stop->load()); };
    grew_.wait(lock, [&] { return stopped() || ended_ || position < span_.newestByte(); });
    if (stopped())
        return -1;
    position = std::min(span_.keptPosition(position), span_.newestByte());
    const std::int64_t available = span_.newestByte() - position;
    if (available <= 0)
        return 0; // ended
    const std::int64_t offset = position % capacity_;
    const std::size_t piece =
        std::size_t(std::min({std::int64_t(size), available, capacity_ - offset}));
    const ssize_t done = ::pread(fd_, buffer, piece, off_t(offset));
    if (done <= 0)
        return -1;
    position += done;
    return done;
}

void TimeShiftBuffer::wakeReaders()
{
    const std::lock_guard lock(lock_);
    grew_.notify_all();
}

std::int64_t TimeShiftBuffer::byteBehind(std::int64_t behindMs) const
{
    const std::lock_guard lock(lock_);
    return span_.byteBehind(behindMs);
}

TimeShiftBuffer::State TimeShiftBuffer::state() const
{
    const std::lock_guard lock(lock_);
    State state;
    state.heldMs = span_.heldMs();
    state.oldestByte = span_.oldestByte();
    state.liveByte = span_.newestByte();
    state.ended = ended_;
    state.recording = recorder_ != nullptr;
    state.recordedBytes = recorder_ ? recorder_->bytesWritten() : recordedBytes_;
    state.recordingStop = lastStop_;
    state.recordingPath = recordingPath_;
    return state;
}

void TimeShiftBuffer::trimAt(std::int64_t nowMs)
{
    const std::lock_guard lock(lock_);
    span_.trimAt(nowMs);
    giveBackLetGo();
}

bool TimeShiftBuffer::startRecording(const QString& path, QString* error, LiveRecorder::FreeSpace freeSpace)
{
    auto recorder = std::make_unique<LiveRecorder>(path, std::move(freeSpace));
    const std::lock_guard lock(lock_);
    if (!recorder->isOpen() || recorder->stopped() != LiveRecorder::Stop::None || ended_) {
        if (error)
            *error = ended_ ? QStringLiteral("the stream ended") : recorder->error();
        lastStop_ = recorder->stopped();
        return false;
    }
    if (recorder_)
        endRecording(LiveRecorder::Stop::ByRequest);
    recorder_ = std::move(recorder);
    recordingPath_ = path;
    recordedBytes_ = 0;
    lastStop_ = LiveRecorder::Stop::None;
    return true;
}

void TimeShiftBuffer::stopRecording()
{
    const std::lock_guard lock(lock_);
    if (recorder_)
        endRecording(LiveRecorder::Stop::ByRequest);
}

void TimeShiftBuffer::endRecording(LiveRecorder::Stop why)
{
    recorder_->stop(why);
    lastStop_ = recorder_->stopped();
    recordedBytes_ = recorder_->bytesWritten();
    recorder_.reset();
}
