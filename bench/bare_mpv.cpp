// The other reference: libmpv embedded the same way, into a plain X11 window
// of the video area's size and place ("wid"), with its defaults.
//   bench_bare_mpv frames RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
//   bench_bare_mpv play CLIP

#include "HttpTestServer.h"

#include <QByteArray>
#include <QFile>

#include <mpv/client.h>

#include "support/ScreenProbe.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr int kLeft = 609, kTop = 364, kWidth = 557, kHeight = 344;

QByteArray readAll(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display || argc < 3)
        return 2;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), kLeft, kTop, kWidth, kHeight, 0, 0, 0);
    XSelectInput(display, window, ExposureMask);
    XMapWindow(display, window);
    XEvent event;
    XWindowEvent(display, window, ExposureMask, &event);

    mpv_handle* mpv = mpv_create();
    const std::string wid = std::to_string(window);
    mpv_set_option_string(mpv, "wid", wid.c_str());
    // No GPU under Xvfb: mpv's gpu outputs fail and it falls back to SDL, which does
    // not stay in the embedded window; its plain X11 output does.
    mpv_set_option_string(mpv, "vo", "x11");
    mpv_set_option_string(mpv, "input-default-bindings", "no");
    mpv_set_option_string(mpv, "input-vo-keyboard", "no");
    mpv_set_option_string(mpv, "terminal", getenv("MPV_VERBOSE") ? "yes" : "no");
    if (getenv("MPV_VERBOSE"))
        mpv_set_option_string(mpv, "msg-level", "all=v");
    if (mpv_initialize(mpv) < 0)
        return 1;
    const auto load = [&](const std::string& source) {
        const char* command[] = {"loadfile", source.c_str(), nullptr};
        mpv_command(mpv, command);
    };

    if (std::strcmp(argv[1], "play") == 0) {
        mpv_set_option_string(mpv, "loop-file", "inf");
        load(argv[2]);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (argc != 7)
        return 2;
    HttpTestServer redStream(readAll(argv[5]));
    HttpTestServer blueStream(readAll(argv[6]));
    const std::string sources[] = {argv[3], argv[4], "http://127.0.0.1:" + std::to_string(redStream.port()) + "/red.ts",
                                   "http://127.0.0.1:" + std::to_string(blueStream.port()) + "/blue.ts"};
    bench::ScreenProbe probe;
    const int x = kLeft + kWidth / 2, y = kTop + kHeight / 2;
    const auto measure = [&](const char* figure, int entry, bench::Rgb colour) {
        const auto start = std::chrono::steady_clock::now();
        load(sources[entry]);
        std::printf("%s libmpv %.1f\n", figure, probe.waitFor(x, y, colour, start));
        std::fflush(stdout);
    };
    const auto stop = [&] {
        const char* command[] = {"stop", nullptr};
        mpv_command(mpv, command);
        probe.waitFor(x, y, {0, 0, 0}, std::chrono::steady_clock::now());
    };
    for (int run = 0, runs = std::atoi(argv[2]); run < runs; ++run) {
        stop();
        measure("first_frame_local", 0, bench::kRed);
        measure("zap_local", 1, bench::kBlue);
        stop();
        measure("first_frame_http", 2, bench::kRed);
        measure("zap_http", 3, bench::kBlue);
    }
    mpv_terminate_destroy(mpv);
    return 0;
}
