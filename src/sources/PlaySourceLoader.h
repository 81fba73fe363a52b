#pragma once

#include "PlaySource.h"

#include <QObject>
#include <QThreadPool>

#include <cstdint>

// Reads and cuts play-source files off the window's thread, so that a list of
// a million entries never freezes it. Only the latest load is reported: a load
// that finishes after a newer one was asked for is dropped.
class PlaySourceLoader final : public QObject {
    Q_OBJECT
public:
    explicit PlaySourceLoader(QObject* parent = nullptr);
    ~PlaySourceLoader() override;

    // A play-source file; one that can't be read gives an empty list.
    std::uint64_t load(const QString& path);
    // Files dropped together, in drop order: a text list gives its entries,
    // any other file one entry, its file name and its full path.
    std::uint64_t loadDropped(const QStringList& paths);

    // Reads one file as a dropped file (on any thread).
    static PlaySourceFile readDropped(const QStringList& paths);
    static PlaySourceFile readListFile(const QString& path);

signals:
    void loaded(std::uint64_t generation, const PlaySourceFile& result);

private:
    template <class Read>
    std::uint64_t start(Read read);

    QThreadPool pool_;
    std::uint64_t generation_ = 0;
};
