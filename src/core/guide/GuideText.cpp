#include "core/guide/GuideText.h"

#include <QDateTime>
#include <QLocale>

namespace {

QString clock(qint64 secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch).toString(QStringLiteral("HH:mm"));
}

} // namespace

QString programmeTimes(const Programme& programme)
{
    return clock(programme.start) + u'–' + clock(programme.stop);
}

QString nowNextLine(const ProgrammeNowNext& nowNext)
{
    QStringList parts;
    if (nowNext.now)
        parts << programmeTimes(*nowNext.now) + u' ' + nowNext.now->title;
    if (nowNext.next)
        parts << clock(nowNext.next->start) + u' ' + nowNext.next->title;
    return parts.join(QStringLiteral(" / "));
}

QString watchedBackName(const QString& channel, const Programme& programme)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    return channel + QStringLiteral("  ") + programme.title + QStringLiteral("  ") +
           chinese.toString(QDateTime::fromSecsSinceEpoch(programme.start), QStringLiteral("M月d日 HH:mm"));
}
