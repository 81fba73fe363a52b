#pragma once

#include <QString>

// Where the program finds the files it starts with. Beside the executable
// first, as in a folder the user unpacked or built it in; an installed program
// (in /usr/bin, a folder nobody writes in) has none there and uses the user's
// config folder for the list and the icon theme for the icon.
namespace programfiles {

// The play-source list's file name.
QString playSourceFileName();
// The user's folder for the player's files: $XDG_CONFIG_HOME/clipvane
// (~/.config/clipvane), where the settings are kept too.
QString userFolder();
// The list read at start: the one beside the program, else the one in the
// user's folder; empty when neither exists (a folder of that name counts, and
// reads as an empty list).
QString startupPlaySourceFile(const QString& programFolder);
// The icon for a launcher: the picture beside the program; for an installed
// program (no picture beside it, its icon in the hicolor theme of its prefix)
// the theme's icon of the application's id.
QString launcherIcon(const QString& programFolder);

} // namespace programfiles
