#pragma once

// What a process holds, read from /proc: resident memory, threads, open files.

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace bench {

inline std::string procPath(pid_t pid, const char* what)
{
    return "/proc/" + std::to_string(pid) + "/" + what;
}

inline double residentMiB(pid_t pid = getpid())
{
    std::ifstream status(procPath(pid, "status"));
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

inline int entriesIn(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    return count;
}

inline int threadCount(pid_t pid = getpid())
{
    return entriesIn(procPath(pid, "task"));
}

inline int openFileCount(pid_t pid = getpid())
{
    return entriesIn(procPath(pid, "fd"));
}

// Prints the soak figures of one moment ("first" after the first play, "end"
// after the last switch).
inline void printHoldings(const char* subject, const char* moment)
{
    std::printf("soak_rss_%s %s %.1f\nsoak_threads_%s %s %d\nsoak_files_%s %s %d\n", moment, subject,
                residentMiB(), moment, subject, threadCount(), moment, subject, openFileCount());
    std::fflush(stdout);
}

} // namespace bench
