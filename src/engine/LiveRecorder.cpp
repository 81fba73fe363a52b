#include "LiveRecorder.h"

#include "EngineLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The disk's space is looked at again after this much is written (a few seconds of a channel).
constexpr std::int64_t kCheckEvery = std::int64_t(4) << 20;

} // namespace

LiveRecorder::LiveRecorder(const QString& path, FreeSpace freeSpace)
    : path_(path), folder_(QFileInfo(path).absolutePath()), freeSpace_(std::move(freeSpace))
{
    if (!freeSpace_)
        freeSpace_ = &LiveRecorder::freeBytesOn;
    if (!QDir().mkpath(folder_)) {
        error_ = QStringLiteral("cannot make %1").arg(folder_);
        stopped_ = Stop::WriteFailed;
        return;
    }
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        stopped_ = Stop::WriteFailed;
        return;
    }
    checkSpace();
}

LiveRecorder::~LiveRecorder()
{
    stop(Stop::ByRequest);
}

void LiveRecorder::write(const unsigned char* bytes, std::size_t size)
{
    if (fd_ < 0)
        return;
    if (!started_) {
        const TsStartPoint::Found found = start_.feed(bytes, size);
        if (!found.found)
            return;
        started_ = true;
        if (!put(reinterpret_cast<const unsigned char*>(found.head.constData()), std::size_t(found.head.size())))
            return;
        bytes += found.rest;
        size -= found.rest;
    }
    if (put(bytes, size) && sinceCheck_ >= kCheckEvery)
        checkSpace();
}

bool LiveRecorder::put(const unsigned char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd_, bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            error_ = QString::fromLocal8Bit(std::strerror(errno));
            qCWarning(lcEngine) << "a recording stopped: writing failed:" << error_;
            stop(errno == ENOSPC ? Stop::DiskShort : Stop::WriteFailed);
            return false;
        }
        bytes += done;
        size -= std::size_t(done);
        written_ += done;
        sinceCheck_ += done;
    }
    return true;
}

void LiveRecorder::checkSpace()
{
    sinceCheck_ = 0;
    const std::int64_t free = freeSpace_(folder_);
    if (free >= 0 && free < kLeastFreeBytes) {
        qCWarning(lcEngine) << "a recording stopped: the disk has" << free / (1 << 20) << "MB left";
        stop(Stop::DiskShort);
    }
}

void LiveRecorder::stop(Stop why)
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    stopped_ = why;
}

std::int64_t LiveRecorder::freeBytesOn(const QString& folder)
{
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return -1;
    return std::int64_t(disk.f_bavail) * std::int64_t(disk.f_frsize);
}
