// The other reference: libmpv embedded the same way, into a plain X11 window
// of the video area's size and place ("wid"), with its defaults.
//   bench_bare_mpv frames RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
//   bench_bare_mpv play CLIP


#include <mpv/client.h>

#include "support/FrameRuns.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display || argc < 3)
        return 2;
    const Window window = bench::openVideoWindow(display);

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
    const bench::FrameSources sources(argv[3], argv[4], argv[5], argv[6]);
    const auto stop = [&] {
        const char* command[] = {"stop", nullptr};
        mpv_command(mpv, command);
    };
    bench::runFrameFigures(std::atoi(argv[2]), {"libmpv", bench::kVideoLeft + bench::kVideoWidth / 2, bench::kVideoTop + bench::kVideoHeight / 2,
                                                [&](int entry) { load(sources[entry]); }, stop, {}, true});
    mpv_terminate_destroy(mpv);
    return 0;
}
