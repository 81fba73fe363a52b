#include "core/recording/Recording.h"

#include "engine/OneConnectionHosts.h"

#include <QDir>
#include <QStandardPaths>

namespace recording {

QString folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation)).filePath(QStringLiteral("Clipvane"));
}

QString fileName(const QString& channel, const QDateTime& start)
{
    constexpr qsizetype kLongest = 120;
    QString name;
    for (const QChar c : channel) {
        if (c.category() == QChar::Other_Control || QStringLiteral("/\\\\:*?\"<>|").contains(c))
            name += u'_';
        else
            name += c;
    }
    name = name.simplified();
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    if (name.size() > kLongest)
        name.truncate(name.at(kLongest - 1).isHighSurrogate() ? kLongest - 1 : kLongest);
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("录制");
    return name + u' ' + start.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")) + QStringLiteral(".ts");
}

Span spanOf(const Programme& programme, int beforeMinutes, int afterMinutes)
{
    const qint64 stop = programme.stop > programme.start ? programme.stop : programme.start + 3600;
    return {programme.start - qint64(std::max(beforeMinutes, 0)) * 60, stop + qint64(std::max(afterMinutes, 0)) * 60};
}

Beside besideWatching(const QString& recordedAddress, const QString& watchedAddress, bool recordedServerTakesOne)
{
    const bool sameServer = !watchedAddress.isEmpty() &&
                            OneConnectionHosts::serverOf(watchedAddress) == OneConnectionHosts::serverOf(recordedAddress);
    return sameServer && recordedServerTakesOne ? Beside::OneConnection : Beside::Allowed;
}

} // namespace recording
