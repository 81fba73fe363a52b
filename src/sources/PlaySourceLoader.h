#pragma once

#include "PlaySource.h"
#include "platform/ThreadMailbox.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// Reads play-source files off the window's thread, so that neither a list of a
// million entries nor a file that never answers (a pipe, a network share that
// stopped) freezes the window. Each load runs on a thread of its own; only the
// latest load is reported, and a newer load or the loader's end asks the
// older ones to stop. A read stuck in the file system is left behind: it holds
// up neither a later load nor the program's exit.
class PlaySourceLoader final : public QObject {
    Q_OBJECT
public:
    // How files are read; the tests put readers of their own here.
    struct Readers {
        std::function<PlaySourceFile(const QString&, const std::atomic<bool>&)> listFile;
        std::function<PlaySourceFile(const QStringList&, const std::atomic<bool>&)> dropped;
    };
    static Readers fileSystemReaders();

    // How long the end of the loader waits for a load to notice it was asked to stop.
    static constexpr std::chrono::milliseconds kExitWait{1000};
    void setExitWait(std::chrono::milliseconds wait) { exitWait_ = wait; }

    explicit PlaySourceLoader(QObject* parent = nullptr, Readers readers = fileSystemReaders());
    ~PlaySourceLoader() override;

    // A play-source file; one that can't be read gives an empty list.
    std::uint64_t load(const QString& path);
    // Files and folders dropped together, in drop order (see readDroppedFiles).
    std::uint64_t loadDropped(const QStringList& paths);
    // A read of the caller's own (a list by address judged, a kept copy), on a thread like the others.
    std::uint64_t loadWith(std::function<PlaySourceFile(const std::atomic<bool>&)> read) { return start(std::move(read)); }

signals:
    void loaded(std::uint64_t generation, const PlaySourceFile& result);

private:
    struct Shared;
    std::uint64_t start(std::function<PlaySourceFile(const std::atomic<bool>&)> read);

    Readers readers_;
    ThreadMailbox mailbox_; // finished reads, to the loader's thread
    std::shared_ptr<Shared> shared_;
    std::shared_ptr<std::atomic<bool>> cancelLatest_;
    std::uint64_t generation_ = 0;
    std::chrono::milliseconds exitWait_ = kExitWait;
};
