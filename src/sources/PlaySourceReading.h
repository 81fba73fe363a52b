#pragma once

#include "PlaySource.h"

#include <QString>
#include <QStringList>

#include <atomic>

// Reading play-source files from disk, on any thread. Only regular files are
// read (a pipe, a device or a socket could block for ever or never end), each
// in pieces and only as far as the list needs it (see PlaySourceBytes).
// cancelled is looked at between pieces and between files: once it is set
// the result is incomplete and meant to be thrown away.

// The list file: a file that can't be read, a folder or any other
// non-regular file gives an empty list.
PlaySourceFile readPlaySourceFile(const QString& path, const std::atomic<bool>& cancelled);

// Files and folders dropped together, in drop order: a text list gives its
// entries; any other file (a video, say) one entry, its file name and its full
// path; a folder one such entry for each playable file in it and its
// subfolders. Non-regular files are skipped as if they had not been dropped;
// when nothing at all was taken, the result says so (keepsCurrentList).
PlaySourceFile readDroppedFiles(const QStringList& paths, const std::atomic<bool>& cancelled);
