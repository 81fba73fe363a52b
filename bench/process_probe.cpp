// Starts a program and watches it from outside:
//   bench_process_probe NAME SUBJECT startup COMMAND…
//       milliseconds from starting COMMAND to the title bar's green on screen
//   bench_process_probe NAME SUBJECT cost SECONDS [play [hold|record]] COMMAND…
//       once painted (and, with "play", after a double-click on the first list
//       entry and 3 s to settle), the CPU time in ms per second and the resident
//       memory in MiB over SECONDS; a live channel held 3 s and playing behind
//       live since ("hold"), or recording ("record")
// Prints "NAME SUBJECT value" lines (cost prints NAME_cpu and NAME_rss).

#include "support/ScreenProbe.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Where the centred 707 x 415 window's title bar and first list entry stand on 1920 x 1080.
constexpr int kBarX = 606 + 300, kBarY = 332 + 16;
constexpr int kEntryX = 606 + 600, kEntryY = 332 + 62;

double cpuMilliseconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        std::getline(status, key);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
        return 2;
    const std::string name = argv[1], subject = argv[2], mode = argv[3];
    int first = 4;
    int seconds = 0;
    bool play = false;
    std::string then;
    if (mode == "cost") {
        seconds = std::atoi(argv[4]);
        first = 5;
        if (first < argc && std::strcmp(argv[first], "play") == 0) {
            play = true;
            ++first;
            if (first < argc && (std::strcmp(argv[first], "hold") == 0 || std::strcmp(argv[first], "record") == 0))
                then = argv[first++];
        }
    }
    bench::ScreenProbe probe;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }
    const double painted = probe.waitFor(kBarX, kBarY, bench::kBarGreen, start);
    if (mode == "startup") {
        std::printf("%s %s %.1f\n", name.c_str(), subject.c_str(), painted);
    } else if (painted >= 0) {
        if (play) {
            const std::string click = "xdotool mousemove " + std::to_string(kEntryX) + " " + std::to_string(kEntryY) +
                                      " click --repeat 2 --delay 60 1";
            std::system(click.c_str());
        }
        std::this_thread::sleep_for(std::chrono::seconds(play ? 3 : 1));
        if (then == "hold") {
            std::system("xdotool key space");
            std::this_thread::sleep_for(std::chrono::seconds(3));
            std::system("xdotool key space");
            std::this_thread::sleep_for(std::chrono::seconds(2));
        } else if (then == "record") {
            std::system("xdotool key r");
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        const double before = cpuMilliseconds(child);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const double used = cpuMilliseconds(child) - before;
        std::printf("%s_cpu %s %.1f\n%s_rss %s %.1f\n", name.c_str(), subject.c_str(), used / seconds, name.c_str(),
                    subject.c_str(), residentMiB(child));
    }
    std::fflush(stdout);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return painted >= 0 ? 0 : 1;
}
