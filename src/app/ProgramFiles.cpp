#include "ProgramFiles.h"

#include "ApplicationId.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace programfiles {

QString playSourceFileName()
{
    return QStringLiteral("澄影播放源.txt");
}

QString userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/clipvane");
}

QString startupPlaySourceFile(const QString& programFolder)
{
    for (const QString& folder : {programFolder, userFolder()}) {
        const QString path = folder + QLatin1Char('/') + playSourceFileName();
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

QString launcherIcon(const QString& programFolder)
{
    const QString beside = programFolder + QStringLiteral("/clipvane.png");
    const QString themed = programFolder + QStringLiteral("/../share/icons/hicolor/128x128/apps/") + applicationId() +
                           QStringLiteral(".png");
    return !QFileInfo::exists(beside) && QFileInfo::exists(themed) ? applicationId() : beside;
}

} // namespace programfiles
