#pragma once

#include "GuideStore.h"

#include <QString>

#include <atomic>

// What reading one guide into the store came to.
struct GuideImportResult {
    bool stored = false; // the store holds what was read (all of it, or up to a fault)
    qint64 channels = 0;
    qint64 programmes = 0;
    qint64 skipped = 0;
    QString fault; // where and why reading stopped early; empty when it read to the end
};

struct GuideImportSettings {
    qint64 keepFrom = 0;          // programmes that ended before this are left out
    int correctionMinutes = 0;
    qint64 decompressedLimit = qint64(2) << 30;
    const std::atomic<bool>* cancel = nullptr; // set: stop, and keep the old guide
};

// Reads the XMLTV guide in the file at `path`, gzipped or not (its first
// bytes tell), a piece at a time, into the store under `address`, in one
// transaction. What was read before a fault is kept.
GuideImportResult importGuideFile(GuideStore& store, const QString& address, const QString& path,
                                  const GuideStore::Copy& copy, const GuideImportSettings& settings);
