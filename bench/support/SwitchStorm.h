#pragma once

// The switch-storm soak, the same for every subject: after the first play has
// settled, switch among three entries (a local clip, an HTTP MPEG-TS stream,
// another clip) every 100 to 400 ms, seeded, never to the entry that plays;
// then let it settle and compare what the process holds with what it held
// after the first play.

#include "ProcessFigures.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

namespace bench {

struct StormSubject {
    const char* name;
    std::function<void(int entry)> open;
    // Waits this long while the subject goes on working (its event loop runs).
    std::function<void(std::chrono::milliseconds)> wait;
};

inline void runSwitchStorm(int switches, unsigned seed, const StormSubject& subject)
{
    std::mt19937 random(seed);
    std::printf("soak_seed %s %u\n", subject.name, seed);
    int playing = 0;
    subject.open(playing);
    subject.wait(std::chrono::seconds(3));
    const double first = residentMiB();
    printHoldings(subject.name, "first");
    for (int i = 0; i < switches; ++i) {
        playing = (playing + 1 + int(random() % 2)) % 3;
        subject.open(playing);
        subject.wait(std::chrono::milliseconds(100 + random() % 301));
    }
    subject.wait(std::chrono::seconds(3));
    printHoldings(subject.name, "end");
    std::printf("soak_rss_growth %s %.1f\n", subject.name, residentMiB() - first);
    std::fflush(stdout);
}

} // namespace bench
