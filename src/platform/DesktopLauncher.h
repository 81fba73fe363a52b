#pragma once

#include <QString>

// The user's desktop folder and the launchers placed on it. One implementation
// file per platform (freedesktop.org desktop entries here).
namespace desktop {

// The current user's desktop folder; empty when there is none.
QString folder();
// The launcher file for a name, in a folder ("澄影播放器" → ".../澄影播放器.desktop").
QString launcherPath(const QString& folder, const QString& name);
// Whether anything stands at the path: a file, a folder, even a dangling link.
bool entryExists(const QString& path);
// Writes a launcher that starts target, all at once: written to a temporary file
// beside it and renamed into place, never over an existing file.
bool writeLauncher(const QString& path, const QString& name, const QString& target, const QString& icon);
// The Exec value that starts exactly program, quoted and escaped as a desktop
// entry requires.
QString execValue(const QString& program);

} // namespace desktop
