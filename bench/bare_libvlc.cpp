// The reference: libvlc alone, into a plain X11 window of the video area's size
// and place, opened the way the player opens a source (set_xwindow, input off,
// caching options before play, one play).
//   bench_bare_libvlc frames RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
//   bench_bare_libvlc play CLIP        (plays until killed, for the cost figures)
//   bench_bare_libvlc soak SWITCHES SEED RED.mp4 BLUE.mp4 RED.ts
//       the switch storm, switching as the player does: the next source opens on
//       a second instance's player while the previous one stops on a thread
// BENCH_VLC_OPTIONS="…" adds media options, space-separated, to try what they buy.
// BENCH_VLC_ARGS="…" passes libvlc_new arguments, space-separated, likewise.
// BENCH_VLC_LOG=1 prints libvlc's debug log on stderr, each line with the
// milliseconds since start, to see where an open spends its time.


#include <vlc/vlc.h>

#include "support/FrameRuns.h"
#include "support/SwitchStorm.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(' ', start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

const auto programStart = std::chrono::steady_clock::now();

double sinceStart()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - programStart).count();
}

void printLog(void*, int, const libvlc_log_t* context, const char* format, va_list arguments)
{
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    const char* module = nullptr;
    const char* file = nullptr;
    unsigned line = 0;
    libvlc_log_get_context(context, &module, &file, &line);
    std::fprintf(stderr, "%9.1f %s: %s\n", sinceStart(), module ? module : "?", text);
}

libvlc_instance_t* newInstance()
{
    const char* given = std::getenv("BENCH_VLC_ARGS");
    static const std::vector<std::string> arguments = split(given ? given : "");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    return libvlc_new(int(argv.size()), argv.data());
}

struct Player {
    libvlc_instance_t* instance = newInstance();
    libvlc_media_player_t* player = libvlc_media_player_new(instance);

    explicit Player(Window window)
    {
        libvlc_media_player_set_xwindow(player, uint32_t(window));
        libvlc_video_set_key_input(player, 0);
        libvlc_video_set_mouse_input(player, 0);
        if (std::getenv("BENCH_VLC_LOG"))
            libvlc_log_set(instance, printLog, nullptr);
    }
    ~Player()
    {
        libvlc_media_player_stop(player);
        libvlc_media_player_release(player);
        libvlc_release(instance);
    }
    void open(const std::string& source, bool repeat = false)
    {
        if (std::getenv("BENCH_VLC_LOG"))
            std::fprintf(stderr, "%9.1f bench: open %s\n", sinceStart(), source.c_str());
        libvlc_media_t* media = source.find("://") != std::string::npos
                                    ? libvlc_media_new_location(instance, source.c_str())
                                    : libvlc_media_new_path(instance, source.c_str());
        for (const char* option : {":file-caching=300", ":network-caching=300", ":rtsp-caching=300"})
            libvlc_media_add_option(media, option);
        if (const char* extra = std::getenv("BENCH_VLC_OPTIONS"))
            for (const std::string& option : split(extra))
                libvlc_media_add_option(media, option.c_str());
        if (repeat)
            libvlc_media_add_option(media, ":input-repeat=65535");
        libvlc_media_player_set_media(player, media);
        libvlc_media_release(media);
        libvlc_media_player_play(player);
    }
};

} // namespace

int main(int argc, char** argv)
{
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display || argc < 3)
        return 2;
    const Window window = bench::openVideoWindow(display);
    Player vlc(window);

    if (std::strcmp(argv[1], "play") == 0) {
        vlc.open(argv[2], true);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    if (std::strcmp(argv[1], "soak") == 0 && argc == 7) {
        const bench::FrameSources sources(argv[4], argv[5], argv[6], argv[6]);
        const std::string addresses[3] = {sources[0], sources[2], sources[1]};
        // A second instance, in a window of its own at the same place, as the player does.
        Player other(bench::openVideoWindow(display));
        Player* players[2] = {&vlc, &other};
        int showing = 0;
        std::thread stopping;
        bench::runSwitchStorm(std::atoi(argv[2]), unsigned(std::strtoul(argv[3], nullptr, 10)),
                              {"libvlc",
                               [&](int entry) {
                                   const int next = 1 - showing;
                                   if (stopping.joinable())
                                       stopping.join();
                                   players[next]->open(addresses[entry]);
                                   stopping = std::thread([leaving = players[showing]] {
                                       libvlc_media_player_stop(leaving->player);
                                   });
                                   showing = next;
                               },
                               [](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }});
        if (stopping.joinable())
            stopping.join();
        return 0;
    }
    if (argc != 7)
        return 2;
    const bench::FrameSources sources(argv[3], argv[4], argv[5], argv[6]);
    bench::runFrameFigures(std::atoi(argv[2]), {"libvlc", bench::kVideoLeft + bench::kVideoWidth / 2, bench::kVideoTop + bench::kVideoHeight / 2,
                                                [&](int entry) { vlc.open(sources[entry]); },
                                                [&] { libvlc_media_player_stop(vlc.player); }, {}});
    return 0;
}
