#include "RtspReader.h"

#include <QElapsedTimer>

#include "EngineLog.h"
#include "FfmpegHandles.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr int kMuxBufferSize = 188 * 64;

// What MPEG-TS carries as it is; other streams (G.711, raw PCM, data) are left out.
bool fitsMpegTs(const AVCodecParameters& codec)
{
    switch (codec.codec_id) {
    case AV_CODEC_ID_H264:
    case AV_CODEC_ID_HEVC:
    case AV_CODEC_ID_MPEG2VIDEO:
    case AV_CODEC_ID_MPEG1VIDEO:
    case AV_CODEC_ID_MPEG4:
        return codec.codec_type == AVMEDIA_TYPE_VIDEO;
    case AV_CODEC_ID_AAC:
    case AV_CODEC_ID_AAC_LATM:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3:
    case AV_CODEC_ID_OPUS:
        return codec.codec_type == AVMEDIA_TYPE_AUDIO;
    default:
        return false;
    }
}

QString describe(int error)
{
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(error, text.data(), text.size());
    return QString::fromUtf8(text.data());
}

// Errors after which UDP would fare no better than TCP.
bool isFinalAnswer(int error)
{
    return error == AVERROR(ECONNREFUSED) || error == AVERROR(ETIMEDOUT) || error == AVERROR(EHOSTUNREACH) ||
           error == AVERROR(ENETUNREACH) || error == AVERROR_HTTP_NOT_FOUND || error == AVERROR_HTTP_UNAUTHORIZED ||
           error == AVERROR_HTTP_FORBIDDEN || error == AVERROR_EXIT;
}

} // namespace

RtspReader::RtspReader(const QString& address) : RtspReader(address, Settings{}) {}

RtspReader::RtspReader(const QString& address, Settings settings)
    : address_(address.toUtf8()), settings_(settings), thread_([this] {
          static std::once_flag network;
          std::call_once(network, [] { avformat_network_init(); });
          run();
      })
{
}

RtspReader::~RtspReader()
{
    abort();
    // The thread notices within FFmpeg's polling time (100 ms) and ends.
}

void RtspReader::abort()
{
    aborted_ = true;
    {
        const std::lock_guard guard(lock_);
        ended_ = true;
    }
    changed_.notify_all();
}

QString RtspReader::error() const
{
    const std::lock_guard guard(lock_);
    return error_;
}

std::ptrdiff_t RtspReader::read(unsigned char* buffer, std::size_t size)
{
    std::unique_lock guard(lock_);
    changed_.wait(guard, [this] { return !pending_.empty() || ended_; });
    if (aborted_)
        return -1;
    if (pending_.empty())
        return failed_ ? -1 : 0;
    std::size_t copied = 0;
    while (copied < size && !pending_.empty()) {
        const QByteArray& front = pending_.front();
        const std::size_t take = std::min(size - copied, std::size_t(front.size()) - frontOffset_);
        std::memcpy(buffer + copied, front.constData() + frontOffset_, take);
        copied += take;
        frontOffset_ += take;
        if (frontOffset_ == std::size_t(front.size())) {
            pendingBytes_ -= std::size_t(front.size());
            pending_.pop_front();
            frontOffset_ = 0;
        }
    }
    guard.unlock();
    changed_.notify_all(); // room for the reading thread
    return std::ptrdiff_t(copied);
}

// On the reading thread.
bool RtspReader::deliver(const std::uint8_t* bytes, int size)
{
    std::unique_lock guard(lock_);
    // A reader that does not keep up holds the stream back rather than memory growing.
    changed_.wait(guard, [this] { return pendingBytes_ < settings_.bufferLimit || ended_; });
    if (ended_)
        return false;
    pending_.emplace_back(reinterpret_cast<const char*>(bytes), size);
    pendingBytes_ += std::size_t(size);
    guard.unlock();
    changed_.notify_all();
    return true;
}

void RtspReader::finish(const QString& error)
{
    {
        const std::lock_guard guard(lock_);
        if (!error.isEmpty() && error_.isEmpty()) {
            error_ = error;
            failed_ = true;
        }
        ended_ = true;
    }
    changed_.notify_all();
}

int RtspReader::onWrite(void* self, std::uint8_t* bytes, int size)
{
    return static_cast<RtspReader*>(self)->deliver(bytes, size) ? size : AVERROR_EXIT;
}

int RtspReader::onInterrupt(void* self)
{
    return static_cast<RtspReader*>(self)->aborted_.load() ? 1 : 0;
}

void RtspReader::run()
{
    bool refusedTcp = false;
    if (!connectAndRead(true, refusedTcp) && refusedTcp && !aborted_) {
        qCInfo(lcEngine) << "RTSP over TCP refused; trying UDP";
        bool unused = false;
        connectAndRead(false, unused);
    }
    finish({});
}

// False when nothing could be read at all; refusedTcp then says whether UDP may do better.
bool RtspReader::connectAndRead(bool overTcp, bool& refusedTcp)
{
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened) {
        finish(QStringLiteral("out of memory"));
        return false;
    }
    opened->interrupt_callback = {&RtspReader::onInterrupt, this};
    ffmpeg::Options options;
    options.set("rtsp_transport", overTcp ? "tcp" : "udp");
    options.set("timeout", QByteArray::number(qint64(settings_.timeout.count())).constData());
    // A small look at the stream before it plays: enough to find its video and audio.
    options.set("probesize", "262144");
    options.set("analyzeduration", "500000");
    QElapsedTimer took;
    took.start();
    int result = avformat_open_input(&opened, address_.constData(), nullptr, options.get());
    if (result < 0) { // avformat_open_input has freed the context
        qCInfo(lcEngine) << "RTSP open" << (overTcp ? "over TCP" : "over UDP") << "failed:" << describe(result);
        refusedTcp = overTcp && !isFinalAnswer(result);
        if (!refusedTcp)
            finish(describe(result));
        return false;
    }
    const ffmpeg::Input input(opened);
    const qint64 answered = took.elapsed();
    // The look also gathers what arrives meanwhile, handed on at once after it:
    // libvlc then starts on a full buffer rather than filling it in real time.
    if ((result = avformat_find_stream_info(input.get(), nullptr)) < 0) {
        finish(describe(result));
        return true;
    }
    qCInfo(lcEngine) << "RTSP answered in" << answered << "ms, its streams known after" << took.elapsed() << "ms";

    AVFormatContext* made = nullptr;
    if (avformat_alloc_output_context2(&made, nullptr, "mpegts", nullptr) < 0 || !made) {
        finish(QStringLiteral("no MPEG-TS muxer"));
        return true;
    }
    const ffmpeg::Output output(made);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kMuxBufferSize));
    output->pb = buffer ? avio_alloc_context(buffer, kMuxBufferSize, 1, this, nullptr, &RtspReader::onWrite, nullptr)
                        : nullptr;
    if (!output->pb) {
        av_free(buffer);
        finish(QStringLiteral("out of memory"));
        return true;
    }
    output->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_FLUSH_PACKETS;
    // No muxing delay: ffmpeg's own muxer stamps pictures 0.7 s ahead otherwise.
    output->max_delay = 0;

    std::vector<int> mapped(input->nb_streams, -1);
    for (unsigned index = 0; index < input->nb_streams; ++index) {
        const AVStream* in = input->streams[index];
        if (!fitsMpegTs(*in->codecpar)) {
            qCInfo(lcEngine) << "RTSP stream" << index << "left out:" << avcodec_get_name(in->codecpar->codec_id);
            continue;
        }
        AVStream* out = avformat_new_stream(output.get(), nullptr);
        if (!out || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) {
            finish(QStringLiteral("out of memory"));
            return true;
        }
        out->codecpar->codec_tag = 0;
        out->time_base = {1, 90000};
        mapped[index] = out->index;
    }
    if (output->nb_streams == 0) {
        finish(QStringLiteral("nothing to play in this stream"));
        return true;
    }
    if ((result = avformat_write_header(output.get(), nullptr)) < 0) {
        finish(describe(result));
        return true;
    }

    const ffmpeg::Packet packet(av_packet_alloc());
    while (packet && !aborted_) {
        result = av_read_frame(input.get(), packet.get());
        if (result < 0) {
            if (result != AVERROR_EOF && result != AVERROR_EXIT)
                finish(describe(result));
            break;
        }
        const int target = packet->stream_index < int(mapped.size()) ? mapped[size_t(packet->stream_index)] : -1;
        if (target < 0) {
            av_packet_unref(packet.get());
            continue;
        }
        if (packet->dts == AV_NOPTS_VALUE)
            packet->dts = packet->pts;
        if (packet->pts == AV_NOPTS_VALUE)
            packet->pts = packet->dts;
        av_packet_rescale_ts(packet.get(), input->streams[packet->stream_index]->time_base,
                             output->streams[target]->time_base);
        packet->stream_index = target;
        packet->pos = -1;
        // A packet the muxer refuses (time going backwards) is dropped, not the stream.
        result = av_write_frame(output.get(), packet.get());
        av_packet_unref(packet.get());
        if (result == AVERROR_EXIT)
            break;
    }
    if (!aborted_)
        av_write_trailer(output.get());
    return true;
}
