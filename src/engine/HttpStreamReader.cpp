#include "HttpStreamReader.h"

#include "EngineLog.h"
#include "FfmpegHandles.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

#include <array>

namespace {

// No byte for this long: the stream dropped.
constexpr char kReadTimeoutUs[] = "10000000";

QString describe(int error)
{
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(error, text.data(), text.size());
    return QString::fromUtf8(text.data());
}

// A type a live stream is not sent as.
bool isNoStream(const QByteArray& type)
{
    const QByteArray lower = type.toLower();
    return lower.contains("mpegurl") || lower.startsWith("text/") || lower.contains("html") ||
           lower.contains("xml") || lower.contains("json") || lower.contains("dash");
}

} // namespace

HttpStreamReader::HttpStreamReader(const QString& address, const QString& userAgent, const QString& referrer)
    : address_(address.toUtf8()), userAgent_(userAgent.toUtf8()), referrer_(referrer.toUtf8())
{
}

HttpStreamReader::~HttpStreamReader()
{
    avio_closep(&io_);
}

int HttpStreamReader::onInterrupt(void* self)
{
    return static_cast<HttpStreamReader*>(self)->aborted_ ? 1 : 0;
}

QString HttpStreamReader::error() const
{
    const std::lock_guard lock(errorLock_);
    return error_;
}

void HttpStreamReader::connect()
{
    connected_ = true;
    ffmpeg::Options options;
    options.set("rw_timeout", kReadTimeoutUs);
    options.set("timeout", kReadTimeoutUs);
    if (!userAgent_.isEmpty())
        options.set("user_agent", userAgent_.constData());
    if (!referrer_.isEmpty())
        options.set("referer", referrer_.constData());
    const AVIOInterruptCB interrupt{&HttpStreamReader::onInterrupt, this};
    const int opened = avio_open2(&io_, address_.constData(), AVIO_FLAG_READ, &interrupt, options.get());
    if (opened < 0) {
        // Refused, not found, no answer: a failure of this address like any
        // other, which the session retries as it would libvlc's (a server that
        // allows one connection refuses while it still counts the last one).
        if (!aborted_) {
            const std::lock_guard lock(errorLock_);
            error_ = describe(opened);
        }
        return;
    }
    std::uint8_t* type = nullptr;
    av_opt_get(io_, "mime_type", AV_OPT_SEARCH_CHILDREN, &type);
    const QByteArray mime(type ? reinterpret_cast<const char*>(type) : "");
    av_free(type);
    const std::int64_t length = avio_size(io_);
    if (length > 0 || isNoStream(mime)) {
        qCDebug(lcEngine) << "live reading left to the engine: the answer is" << mime << "of length" << length;
        forTheEngine_ = true;
        avio_closep(&io_);
    }
}

// The connection closes as soon as reading ends, not when the reader goes: a
// server that allows one connection counts it until then.
std::ptrdiff_t HttpStreamReader::read(unsigned char* buffer, std::size_t size)
{
    if (!aborted_ && !connected_)
        connect();
    if (aborted_ || !io_) {
        avio_closep(&io_);
        return -1;
    }
    const int got = avio_read_partial(io_, buffer, int(std::min<std::size_t>(size, 1 << 20)));
    if (got > 0)
        return got;
    avio_closep(&io_);
    if (got == AVERROR_EOF || got == 0)
        return 0;
    if (!aborted_) {
        const std::lock_guard lock(errorLock_);
        error_ = describe(got);
    }
    return -1;
}
