#include "GzipStream.h"

#include <zlib.h>

#include <algorithm>

bool looksGzipped(QByteArrayView head)
{
    return head.size() >= 2 && quint8(head[0]) == 0x1f && quint8(head[1]) == 0x8b;
}

struct GzipStream::Inflater {
    z_stream stream{};
    bool ready = false;
    Inflater() { ready = inflateInit2(&stream, 16 + MAX_WBITS) == Z_OK; } // 16: gzip's header and trailer
    ~Inflater()
    {
        if (ready)
            inflateEnd(&stream);
    }
};

GzipStream::GzipStream(qint64 limit) : inflater_(std::make_unique<Inflater>()), limit_(limit)
{
    if (!inflater_->ready)
        error_ = QStringLiteral("zlib did not start");
}

GzipStream::~GzipStream() = default;

QByteArray GzipStream::feed(QByteArrayView compressed)
{
    QByteArray out;
    if (failed())
        return out;
    z_stream& z = inflater_->stream;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = uInt(compressed.size());
    constexpr qsizetype kChunk = 256 * 1024;
    if (z.avail_in > 0)
        inMember_ = true;
    // Until the input is used up and zlib holds nothing more back.
    for (bool more = z.avail_in > 0; more;) {
        const qsizetype before = out.size();
        out.resize(before + kChunk);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = uInt(kChunk);
        const int result = inflate(&z, Z_NO_FLUSH);
        out.resize(before + (kChunk - qsizetype(z.avail_out)));
        if (produced_ + out.size() > limit_) {
            out.resize(std::max<qsizetype>(0, qsizetype(limit_ - produced_)));
            error_ = QStringLiteral("more than %1 bytes once decompressed: cut there").arg(limit_);
            break;
        }
        more = z.avail_in > 0 || z.avail_out == 0;
        if (result == Z_STREAM_END) {
            inMember_ = z.avail_in > 0;
            inflateReset(&z); // another member may follow
        } else if (result == Z_BUF_ERROR) {
            break; // wants more input
        } else if (result != Z_OK) {
            error_ = QStringLiteral("not gzip, or damaged (%1)").arg(QString::fromLatin1(z.msg ? z.msg : "zlib"));
            break;
        }
    }
    produced_ += out.size();
    return out;
}

void GzipStream::finish()
{
    if (!failed() && inMember_)
        error_ = QStringLiteral("ends inside its compressed data (truncated)");
}
