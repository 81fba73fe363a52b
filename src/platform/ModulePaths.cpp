#include "ModulePaths.h"

#include <QDir>

QStringList modulePaths(const QString& programFolder, const QString& fileName, const char* environmentVariable)
{
    QStringList paths;
    if (const QString named = qEnvironmentVariable(environmentVariable); !named.isEmpty())
        paths << named;
    const QDir folder(programFolder);
    paths << folder.filePath(fileName) << folder.filePath(QStringLiteral("../lib/clipvane/") + fileName);
    return paths;
}
