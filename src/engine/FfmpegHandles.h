#pragma once

// Owners for FFmpeg's handles, each released by FFmpeg's own function.

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <memory>

namespace ffmpeg {

struct InputRelease {
    void operator()(AVFormatContext* input) const { avformat_close_input(&input); }
};
using Input = std::unique_ptr<AVFormatContext, InputRelease>;

// An output with an I/O context of the caller's: the context and its buffer go too.
struct OutputRelease {
    void operator()(AVFormatContext* output) const
    {
        if (output->pb) {
            av_freep(&output->pb->buffer);
            avio_context_free(&output->pb);
        }
        avformat_free_context(output);
    }
};
using Output = std::unique_ptr<AVFormatContext, OutputRelease>;

struct PacketRelease {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using Packet = std::unique_ptr<AVPacket, PacketRelease>;

// A dictionary of options, freed with what the call left in it.
class Options {
public:
    Options() = default;
    ~Options() { av_dict_free(&dictionary_); }
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    void set(const char* key, const char* value) { av_dict_set(&dictionary_, key, value, 0); }
    AVDictionary** get() { return &dictionary_; }

private:
    AVDictionary* dictionary_ = nullptr;
};

} // namespace ffmpeg
