#pragma once

#include <QString>

// Makes sure the user's desktop has a launcher named "澄影播放器" that starts
// target. An existing file or folder of that name is left alone; with no
// desktop folder nothing is done.
void EnsureDesktopShortcut(const QString& target, const QString& icon);
