#include "DesktopLauncher.h"

#include "PlatformLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <sys/stat.h>

namespace desktop {

namespace {

// XDG_DESKTOP_DIR from the user's user-dirs.dirs: "$HOME/…" or an absolute path.
QString desktopFromUserDirs()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    if (!dirs.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    while (!dirs.atEnd()) {
        const QString line = QString::fromUtf8(dirs.readLine()).trimmed();
        if (!line.startsWith(QLatin1String("XDG_DESKTOP_DIR=")))
            continue;
        QString value = line.mid(int(qstrlen("XDG_DESKTOP_DIR=")));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\""));
        if (value.startsWith(QLatin1String("$HOME")))
            value = QDir::homePath() + value.mid(5);
        return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
    }
    return {};
}

// The escapes of a desktop entry's string values.
QString escapeString(const QString& value)
{
    QString out;
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

QString folder()
{
    QString path = desktopFromUserDirs();
    if (path.isEmpty())
        path = QDir::homePath() + QStringLiteral("/Desktop");
    return QFileInfo(path).isDir() ? path : QString();
}

bool entryExists(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString launcherPath(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

QString execValue(const QString& program)
{
    // Quote the argument: inside double quotes ", `, $ and \ take a backslash.
    QString quoted = QStringLiteral("\"");
    for (QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted += u'"';
    // Then the string escapes, which a reader undoes first, and the field
    // codes: a literal % is written %%.
    QString value = escapeString(quoted).replace(QStringLiteral("%"), QStringLiteral("%%"));
    // GLib looks the program up before it expands field codes, so it would
    // look for a name with %% in it and refuse the launcher; env, found on the
    // path, starts the program once the codes are expanded.
    if (program.contains(u'%'))
        value.prepend(QStringLiteral("env "));
    return value;
}

bool writeLauncher(const QString& path, const QString& name, const QString& target, const QString& icon)
{
    const QString content = QStringLiteral("[Desktop Entry]\n"
                                           "Type=Application\n"
                                           "Version=1.0\n"
                                           "Name=%1\n"
                                           "Exec=%2\n"
                                           "Icon=%3\n"
                                           "Terminal=false\n"
                                           "Categories=AudioVideo;Video;Player;\n")
                                .arg(escapeString(name), execValue(target), escapeString(icon));
    const QFileInfo place(path);
    QTemporaryFile temporary(place.absolutePath() + QStringLiteral("/.launcher-XXXXXX"));
    if (!temporary.open()) {
        qCInfo(lcLauncher) << "no launcher written in" << place.absolutePath() << temporary.errorString();
        return false;
    }
    const QByteArray bytes = content.toUtf8();
    if (temporary.write(bytes) != bytes.size() || !temporary.flush()) {
        qCInfo(lcLauncher) << "launcher not written:" << temporary.errorString();
        return false;
    }
    temporary.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                             QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    temporary.close();
    // QFile::rename refuses to replace an existing file.
    if (!temporary.rename(path)) {
        qCInfo(lcLauncher) << "launcher not put in place at" << path << temporary.errorString();
        return false;
    }
    temporary.setAutoRemove(false);
    qCDebug(lcLauncher) << "launcher written:" << path;
    return true;
}

} // namespace desktop
