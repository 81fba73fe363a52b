#include "ModulePaths.h"

#include "SharedLibrary.h"

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

bool openFirstModule(SharedLibrary& library, const QStringList& paths, QString* why)
{
    QStringList failures;
    for (const QString& path : paths) {
        if (library.open(path))
            return true;
        failures << library.errorString();
    }
    if (why)
        *why = failures.join(u'\n');
    return false;
}
