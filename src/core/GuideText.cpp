#include "GuideText.h"

#include <QDateTime>

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
