#include "CrashReport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace crash {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr std::size_t kLogBytes = 16 * 1024;
const QString kTold = QStringLiteral("crash-told");

// Made ready before any signal: nothing is allocated or formatted in the handler.
std::array<char, 4096> reportPath{};
std::array<char, 128> versionLine{};
std::array<char, kLogBytes> logRing{};
std::size_t logEnd = 0;      // where the next byte goes
bool logWrapped = false;
std::mutex logLock;
std::atomic<bool> handling{false};
std::array<char, 64 * 1024> alternateStack{};

void put(int fd, const char* text, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, text, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return;
        text += done;
        size -= std::size_t(done);
    }
}

void put(int fd, const char* text)
{
    put(fd, text, std::strlen(text));
}

const char* nameOf(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV (a bad memory access)";
    case SIGABRT: return "SIGABRT (abort: a failed assertion, qFatal or a library's own check)";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    }
    return "a fatal signal";
}

void onFatalSignal(int signal)
{
    if (!handling.exchange(true)) {
        const int fd = ::open(reportPath.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            put(fd, versionLine.data());
            put(fd, "ended by ");
            put(fd, nameOf(signal));
            put(fd, "\n\nbacktrace:\n");
            void* frames[64];
            const int depth = ::backtrace(frames, 64);
            ::backtrace_symbols_fd(frames, depth, fd);
            // The log as it was; a line being written at the moment may be cut.
            put(fd, "\nthe log's last lines:\n");
            if (logWrapped)
                put(fd, logRing.data() + logEnd, kLogBytes - logEnd);
            put(fd, logRing.data(), logEnd);
            ::close(fd);
        }
    }
    // Ends as the signal would have ended it, for the shell and the desktop's crash handler.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void install(const QString& folder, const char* version)
{
    QDir().mkpath(folder);
    const QByteArray path = QFile::encodeName(
        QDir(folder).filePath(QStringLiteral("crash-%1-%2.txt")
                                  .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                                  .arg(::getpid())));
    if (std::size_t(path.size()) >= reportPath.size())
        return;
    std::memcpy(reportPath.data(), path.constData(), std::size_t(path.size()) + 1);
    std::snprintf(versionLine.data(), versionLine.size(), "Clipvane %s, process %d, ", version, int(::getpid()));
    // backtrace() loads its unwinder the first time: done here, not in the handler.
    void* frame = nullptr;
    ::backtrace(&frame, 1);
    // A stack of its own, so that a stack overflow on the window's thread is reported too.
    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kFatalSignals)
        ::sigaction(signal, &action, nullptr);
}

void keepLogLine(const QByteArray& line)
{
    const std::lock_guard lock(logLock);
    for (const char byte : line + '\n') {
        logRing[logEnd] = byte;
        logEnd = (logEnd + 1) % kLogBytes;
        logWrapped = logWrapped || logEnd == 0;
    }
}

QString untoldReport(const QString& folder)
{
    const QDir dir(folder);
    const QStringList reports = dir.entryList({QStringLiteral("crash-*.txt")}, QDir::Files, QDir::Time);
    if (reports.isEmpty())
        return {};
    QFile told(dir.filePath(kTold));
    if (told.open(QIODevice::ReadOnly) && QString::fromUtf8(told.readAll()).trimmed() == reports.front())
        return {};
    told.close();
    if (told.open(QIODevice::WriteOnly | QIODevice::Truncate))
        told.write(reports.front().toUtf8());
    return dir.filePath(reports.front());
}

} // namespace crash
