#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// What a folder dropped on the window contributes to the list: the playable
// files in it and in its subfolders (hidden ones left out), in the order a
// file manager shows them: at each level the subfolders first, then the
// files, each in natural order ("第2集" before "第10集"), letter case
// ignored. A folder reached twice through links is listed once.
QStringList playableFilesIn(const QString& folder, const std::atomic<bool>& cancelled);

// Whether a file name ends in one of the well-known video, audio or playlist
// extensions (letter case ignored).
bool isPlayableFileName(const QString& fileName);
