#pragma once

// The first-frame and channel-switch figures, measured the same way for every
// subject: stop, open the red local clip (first frame), switch to the blue one
// (zap), stop, open the red HTTP stream, switch to the blue one, the same two
// sent as live channels are (no length); and, for the subjects that read
// RTSP, the same two streams served over RTSP by GStreamer's server.

#include "HttpTestServer.h"
#include "RtspTestServer.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// After Qt: Xlib's macros (Status, Bool) must not precede Qt's headers.
#include "ScreenProbe.h"

#include <cstdio>
#include <functional>
#include <string>

namespace bench {

// Entries: 0 red clip, 1 blue clip, 2 red stream, 3 blue stream, 4 red RTSP, 5 blue RTSP,
// 6 red live, 7 blue live.
struct FrameSubject {
    std::string name;
    int x = 0, y = 0; // the middle of its video area, on the screen
    std::function<void(int entry)> open;
    std::function<void()> stop;
    std::function<void()> idle; // between polls of the screen
    bool readsRtsp = false;
};

inline QByteArray readWhole(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The eight sources: two clips, and two MPEG-TS files served over HTTP (with a
// length, and as live channels without one) and over RTSP on 127.0.0.1.
class FrameSources {
public:
    FrameSources(const char* redClip, const char* blueClip, const char* redStream, const char* blueStream)
        : red_(readWhole(redStream)), blue_(readWhole(blueStream)),
          redLive_(readWhole(redStream), HttpTestServer::Mode::Live),
          blueLive_(readWhole(blueStream), HttpTestServer::Mode::Live),
          redRtsp_({"--file", QString::fromLocal8Bit(redStream)}), blueRtsp_({"--file", QString::fromLocal8Bit(blueStream)}),
          addresses_{redClip,
                     blueClip,
                     "http://127.0.0.1:" + std::to_string(red_.port()) + "/red.ts",
                     "http://127.0.0.1:" + std::to_string(blue_.port()) + "/blue.ts",
                     redRtsp_.address().toStdString(),
                     blueRtsp_.address().toStdString(),
                     "http://127.0.0.1:" + std::to_string(redLive_.port()) + "/red.ts",
                     "http://127.0.0.1:" + std::to_string(blueLive_.port()) + "/blue.ts"}
    {
    }
    const std::string& operator[](int entry) const { return addresses_[entry]; }

private:
    HttpTestServer red_;
    HttpTestServer blue_;
    HttpTestServer redLive_;
    HttpTestServer blueLive_;
    RtspTestServer redRtsp_;
    RtspTestServer blueRtsp_;
    std::string addresses_[8];
};

inline void runFrameFigures(int runs, const FrameSubject& subject)
{
    const ScreenProbe probe;
    const auto measure = [&](const char* figure, int entry, Rgb colour) {
        const auto start = std::chrono::steady_clock::now();
        subject.open(entry);
        std::printf("%s %s %.1f\n", figure, subject.name.c_str(),
                    probe.waitFor(subject.x, subject.y, colour, start, subject.idle));
        std::fflush(stdout);
    };
    const auto stop = [&] {
        subject.stop();
        probe.waitFor(subject.x, subject.y, {0, 0, 0}, std::chrono::steady_clock::now(), subject.idle);
    };
    for (int run = 0; run < runs; ++run) {
        stop();
        measure("first_frame_local", 0, kRed);
        measure("zap_local", 1, kBlue);
        stop();
        measure("first_frame_http", 2, kRed);
        measure("zap_http", 3, kBlue);
        stop();
        measure("first_frame_live", 6, kRed);
        measure("zap_live", 7, kBlue);
        if (subject.readsRtsp) {
            stop();
            measure("first_frame_rtsp", 4, kRed);
            measure("zap_rtsp", 5, kBlue);
        }
    }
}

} // namespace bench
