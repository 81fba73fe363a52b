#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>

// The application's reverse-DNS id, set once in the build: the name of its
// desktop entry, of its icon in the icon theme and of its AppStream component.
inline QString applicationId()
{
    return QStringLiteral(CLIPVANE_APP_ID);
}

// Where the program keeps what it can make again and its crash reports: ~/.cache/clipvane.
inline QString cacheFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).filePath(QStringLiteral("clipvane"));
}
